// The editor's words for the outcomes of the project and publish operations and for the project
// texts it hands over: the one place where those meet the words the movie knows.
#pragma once

#include "project/ProjectFiles.h"
#include "publish/PublishRequest.h"

#include <string>

namespace pennoria {

// Reply words shared by the editor and the host.
extern const char* const kReplyTrue;            // "true"
extern const char* const kReplyFalse;           // "false"
extern const char* const kReplyOk;              // "ok"
extern const char* const kReplySaveFailed;      // "saveFailed"
extern const char* const kReplyUserCancel;      // "user cancel"
extern const char* const kReplyCreateDirFailed; // "create dir failed"
extern const char* const kReplyNoContent;       // "no content"

// Published "ok"; Cancelled "user cancel"; FolderNotCreated and NameRefused "create dir failed";
// ProjectUnavailable "no content"; FileFailed "saveFailed".
const char* PublishReplyWord(PublishOutcome outcome);

// The word GetProjectFileXmlDataVC asks for a project text with: "photoEditor" or
// "customTemplate".
const char* ProjectTextWord(ProjectTextKind kind);

// The saved path; "false" when cancelled; "saveFailed" when the save failed.
std::string SaveReplyText(const SaveResult& result);

} // namespace pennoria
