// Draws the frame's paint plan with Cairo: images through gdk-pixbuf, the title through Pango,
// everything composed in an off-screen ARGB32 surface that is copied to the window at once.
#pragma once

#include "host/FramePaint.h"

#include <cairo.h>

#include <string>
#include <vector>

namespace pennoria::host {

// Executes a plan on a Cairo context. Images are loaded from disk for every call; an image that
// does not load is skipped.
void ExecutePaintPlan(cairo_t* cr, const std::vector<PaintStep>& plan);

// Reads the skin description and its images afresh and composes the whole frame into an ARGB32
// surface of the frame's size (kept by the caller between paints, so that no paint pays for a
// fresh buffer). False, with the surface untouched, when the skin description does not load.
bool ComposeFrameInto(cairo_surface_t* target, bool clientCaption, const std::string& programFolder,
                      const std::string& title);

// Reads the skin description and its images afresh and composes the whole W x H frame in a new
// ARGB32 surface (the caller destroys it). Nullptr when the skin description does not load: the
// frame then draws nothing.
cairo_surface_t* ComposeFrame(int width, int height, bool clientCaption,
                              const std::string& programFolder, const std::string& title);

} // namespace pennoria::host
