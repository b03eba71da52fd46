// Names and words on the wire between the editor and the host: commands, movie functions, replies.
class Wire {
    // Command names exactly as the host knows them.
    public static inline var SELECT_FILE = "GetSelectedFilePathVC";
    public static inline var NEW_PROJECT = "CreateNewProjectVC";
    public static inline var SAVE_PROJECT = "SaveProjectFileVC";
    public static inline var PUBLISH = "OutPutProjectFilesVC";
    public static inline var EXIT = "ExitApplicationVC";
    public static inline var MINIMIZE = "MinimizeApplicationVC";
    public static inline var MAXIMIZE = "MaximizeApplicationVC";
    public static inline var RESTORE = "RestoreApplicationVC";
    public static inline var START_INFO = "GetOutputFielsInfoVC";
    public static inline var SELECT_FOLDER = "GetOutputFolderPathVC";
    public static inline var OPEN_FOLDER = "OpenOutputFolderVC";
    public static inline var OPEN_HELP = "OpenHelpFileVC";
    // Beside the twelve: ask for the project a second start handed over (after the unsaved-changes question).
    public static inline var OPEN_HANDED = "OpenHandedProjectVC";
    // Beside the twelve: publish into a private folder and open the result in the browser.
    public static inline var PREVIEW_IN_BROWSER = "PreviewInBrowserVC";
    // Beside the twelve: keep the editor's language (eng, deu or fra) for the next start.
    public static inline var SET_LANGUAGE = "SetLanguageVC";

    // Beside the twelve: the unsaved work, kept by the host while it is edited (empty: nothing
    // unsaved), what ended runs left behind, and getting it back ("recover") or dropping it ("discard").
    public static inline var KEEP_WORK = "KeepWorkVC";
    public static inline var KEPT_WORK = "KeptWorkVC";
    public static inline var RECOVER_WORK = "RecoverWorkVC";
    public static inline var RECOVER = "recover";
    public static inline var DISCARD = "discard";

    // Beside the twelve: an open the editor could not read is taken back (the host's project is
    // again the one before it).
    public static inline var REOPEN_PREVIOUS = "ReopenPreviousProjectVC";

    // Beside the twelve: the projects opened and saved last, one of them opened as the current
    // project, or taken off the list.
    public static inline var RECENT_PROJECTS = "RecentProjectsVC";
    public static inline var OPEN_RECENT = "OpenRecentProjectVC";
    public static inline var FORGET_RECENT = "ForgetRecentProjectVC";
    // Beside the twelve: a product feed. The rows of a CSV file read by the host (as JSON: columns,
    // rows, total, refused); every row published by the host on a thread of its own (the feed, then
    // the publish arguments with the folder the variants go to); how far that has got (JSON:
    // state, done, published, failed, lines); and stopping it.
    public static inline var READ_FEED = "ReadFeedVC";
    public static inline var PUBLISH_FEED = "PublishFeedVC";
    public static inline var FEED_PROGRESS = "FeedProgressVC";
    public static inline var CANCEL_FEED = "CancelFeedVC";
    // Beside the twelve: the banner exported by the host on a thread of its own (the format, the
    // folder, the moment in seconds, frames a second, the GIF limit in KB, then the sizes; empty
    // texts take the defaults, no size is every size); how far that has got (JSON: state,
    // fraction, written, notes, errors); and stopping it.
    public static inline var EXPORT_BANNER = "ExportBannerVC";
    public static inline var EXPORT_PROGRESS = "ExportProgressVC";
    public static inline var CANCEL_EXPORT = "CancelExportVC";

    // Beside the twelve: elements copied, as a fragment, put on the desktop's clipboard (with no
    // fragment, "ok" says the host shares one); the fragment the clipboard holds, or "false".
    public static inline var COPY_ELEMENTS = "CopyElementsVC";
    public static inline var PASTE_ELEMENTS = "PasteElementsVC";
    public static inline var EDIT_TEXT = "EditTextVC";
    public static inline var ADD_FONT = "AddFontVC";
    public static inline var FONT_MOVIE = "FontMovieVC";
    // Beside the twelve: a text the player cannot draw painted by the host, as the picture's display
    // list (JSON) in, a PNG (base64) or "false" out.
    public static inline var TEXT_PICTURE = "TextPictureVC";

    // Publish choices beside the modes, as the host stores them.
    public static inline var PLAYER_BUNDLED = "bundled";
    public static inline var PLAYER_NONE = "none";
    public static inline var YES = "yes";
    public static inline var NO = "no";

    // Functions the host calls in the movie.
    public static inline var FN_OUTPUT_SETTINGS = "SettingOutputFilesVC";
    public static inline var FN_PROJECT_XML = "GetProjectFileXmlDataVC";
    public static inline var FN_WINDOW_CONTROL = "ControlAppWindowVC";
    public static inline var FN_HAND_OVER = "HandOverProjectVC";

    // Reply words.
    public static inline var REPLY_FALSE = "false";
    public static inline var REPLY_NEW = "new";
    public static inline var REPLY_SAVE_FAILED = "saveFailed";
    public static inline var REPLY_MAXIMIZE = "maximize";
    public static inline var REPLY_OK = "ok";
    public static inline var REPLY_USER_CANCEL = "user cancel";
    public static inline var REPLY_CREATE_DIR_FAILED = "create dir failed";
    public static inline var REPLY_NO_CONTENT = "no content";
    public static inline var REPLY_NONE = "NoDefine Call";

    public static inline var OPEN_PROJECT_MODE = "openprj";
    public static inline var SAVE_AS_MODE = "saveas";

    /** A reply that carries a chosen path (not a cancel, not empty, not the placeholder word). */
    public static function isPath(reply:String):Bool {
        return reply != null && reply != "" && reply != REPLY_FALSE && reply != REPLY_NONE && reply != REPLY_SAVE_FAILED;
    }
}
