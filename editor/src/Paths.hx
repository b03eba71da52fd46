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
}
