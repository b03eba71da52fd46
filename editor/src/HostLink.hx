// The editor's only channel to the host program: the twelve commands it sends and the three functions it offers.
import flash.external.ExternalInterface;

class HostLink {
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

    // Functions the host calls in the movie.
    public static inline var FN_OUTPUT_SETTINGS = "SettingOutputFilesVC";
    public static inline var FN_PROJECT_XML = "GetProjectFileXmlDataVC";
    public static inline var FN_WINDOW_CONTROL = "ControlAppWindowVC";

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

    public var available(default, null):Bool;

    public function new() {
        available = false;
        try {
            available = ExternalInterface.available;
        } catch (e:Dynamic) {}
    }

    /** Offers a movie function to the host; false when there is no host. */
    public function offer(name:String, fn:Dynamic):Bool {
        if (!available)
            return false;
        try {
            ExternalInterface.addCallback(name, fn);
            return true;
        } catch (e:Dynamic) {
            return false;
        }
    }

    /** Sends one command and returns its reply as text; null when the host gave none. */
    public function send(command:String, args:Array<String>):String {
        if (!available)
            return null;
        var reply:Dynamic = null;
        try {
            var a = args;
            reply = switch (a.length) {
                case 0: ExternalInterface.call(command);
                case 1: ExternalInterface.call(command, a[0]);
                case 2: ExternalInterface.call(command, a[0], a[1]);
                case 3: ExternalInterface.call(command, a[0], a[1], a[2]);
                case 4: ExternalInterface.call(command, a[0], a[1], a[2], a[3]);
                case 5: ExternalInterface.call(command, a[0], a[1], a[2], a[3], a[4]);
                default: ExternalInterface.call(command, a[0], a[1], a[2], a[3], a[4], a[5]);
            }
        } catch (e:Dynamic) {
            return null;
        }
        return reply == null ? null : Std.string(reply);
    }

    /** A reply that carries a chosen path (not a cancel, not empty, not the placeholder word). */
    public static function isPath(reply:String):Bool {
        return reply != null && reply != "" && reply != REPLY_FALSE && reply != REPLY_NONE && reply != REPLY_SAVE_FAILED;
    }
}
