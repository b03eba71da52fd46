// Publishing rules the editor applies before and after asking the host: file names, folder, reply words.
class PublishRules {
    public static inline var DEFAULT_MOVIE = "banner.swf";

    /** A name for a file inside the publish folder: no folder part, not hidden, not a parent reference. */
    public static function isPlainFileName(n:String):Bool {
        return n == "" || (n.indexOf("/") < 0 && n.indexOf("\\") < 0 && n.charAt(0) != ".");
    }

    /** The folder the host publishes into: the output folder and the movie's name without extension. */
    public static function publishFolder(outputFolder:String, movieName:String):String {
        var movie = StringTools.trim(movieName) == "" ? DEFAULT_MOVIE : StringTools.trim(movieName);
        var dot = movie.lastIndexOf(".");
        var base = dot > 0 ? movie.substr(0, dot) : movie;
        var folder = StringTools.trim(outputFolder);
        var sep = StringTools.endsWith(folder, "/") || StringTools.endsWith(folder, "\\") ? "" : "/";
        return folder + sep + base;
    }

    /** The host's reply in words the user understands. */
    public static function describeReply(reply:String, folder:String):String {
        return switch (reply) {
            case Wire.REPLY_OK: Strings.format(Strings.PUBLISH_OK, [folder]);
            case Wire.REPLY_USER_CANCEL: Strings.PUBLISH_USER_CANCEL;
            case Wire.REPLY_CREATE_DIR_FAILED: Strings.PUBLISH_CREATE_DIR_FAILED;
            case Wire.REPLY_NO_CONTENT: Strings.PUBLISH_NO_CONTENT;
            case null: Strings.STATUS_NO_HOST;
            default: Strings.format(Strings.PUBLISH_UNKNOWN, [reply]);
        }
    }
}
