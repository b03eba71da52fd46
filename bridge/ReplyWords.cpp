// Outcome to reply word tables.
#include "bridge/ReplyWords.h"

namespace pennoria {

const char* const kReplyTrue = "true";
const char* const kReplyFalse = "false";
const char* const kReplyOk = "ok";
const char* const kReplySaveFailed = "saveFailed";
const char* const kReplyUserCancel = "user cancel";
const char* const kReplyCreateDirFailed = "create dir failed";
const char* const kReplyNoContent = "no content";

const char* PublishReplyWord(PublishOutcome outcome) {
    switch (outcome) {
    case PublishOutcome::Published:
        return kReplyOk;
    case PublishOutcome::Cancelled:
        return kReplyUserCancel;
    case PublishOutcome::FolderNotCreated:
    case PublishOutcome::NameRefused:
        return kReplyCreateDirFailed;
    case PublishOutcome::ProjectUnavailable:
        return kReplyNoContent;
    case PublishOutcome::FileFailed:
        return kReplySaveFailed;
    }
    return kReplySaveFailed;
}

const char* ProjectTextWord(ProjectTextKind kind) {
    return kind == ProjectTextKind::PhotoEditor ? "photoEditor" : "customTemplate";
}

std::string SaveReplyText(const SaveResult& result) {
    switch (result.outcome) {
    case SaveOutcome::Saved:
        return result.path;
    case SaveOutcome::Cancelled:
        return kReplyFalse;
    case SaveOutcome::Failed:
        return kReplySaveFailed;
    }
    return kReplySaveFailed;
}

} // namespace pennoria
