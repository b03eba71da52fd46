// File paths as the host names them: absolute or not, made whole against the project, file names.
class Paths {
    /** Whether a path names its file on its own: from the root, with a drive, or as a URL. */
    public static function isAbsolute(path:String):Bool {
        return StringTools.startsWith(path, "/") || path.indexOf(":\\") >= 0 || path.indexOf(":/") >= 0;
    }

    /**
        A path relative to the project file, made absolute, so that the editor finds the image and
        publishing copies it whatever folder the project is in.
    **/
    public static function resolveAgainst(path:String, projectFile:String):String {
        if (path == "" || isAbsolute(path))
            return path;
        var cut = Std.int(Math.max(projectFile.lastIndexOf("/"), projectFile.lastIndexOf("\\")));
        if (cut < 0)
            return path;
        var relative = StringTools.replace(path, "\\", "/");
        while (StringTools.startsWith(relative, "./"))
            relative = relative.substr(2);
        return projectFile.substr(0, cut + 1) + relative;
    }

    /** The file name part of a path written with "/" or "\". */
    public static function fileName(path:String):String {
        var cut = Std.int(Math.max(path.lastIndexOf("/"), path.lastIndexOf("\\")));
        return cut >= 0 ? path.substr(cut + 1) : path;
    }

    /** The URLs that may reach the file at this path, most likely first; prefix is the page's URL prefix for local files (or null). */
    public static function urlsFor(path:String, prefix:String):Array<String> {
        var list = [];
        if (path.indexOf("://") > 0) {
            list.push(path);
            return list;
        }
        var unix = StringTools.replace(path, "\\", "/");
        // "//host/..." is a path on this system, never a page's other host.
        while (StringTools.startsWith(unix, "//"))
            unix = unix.substr(1);
        var encoded = encodePath(unix);
        if (prefix != null && prefix != "")
            list.push(prefix + (StringTools.startsWith(encoded, "/") && StringTools.endsWith(prefix, "/") ? encoded.substr(1) : encoded));
        // An absolute path resolves against the movie's own origin, which the player serves.
        list.push(encoded);
        if (StringTools.startsWith(encoded, "/"))
            list.push("file://" + encoded);
        return list;
    }

    static function encodePath(path:String):String {
        var parts = path.split("/");
        for (i in 0...parts.length)
            parts[i] = StringTools.urlEncode(parts[i]);
        return parts.join("/");
    }
}
