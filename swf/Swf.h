// The movie-file layer in one include: SWF movies, their tags, and the stage resize.
#pragma once

#include "swf/SwfBits.h"
#include "swf/SwfMovie.h"
#include "swf/SwfTag.h"
