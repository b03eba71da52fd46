// Helpers shared by the banner and component movies: where relative names are resolved, and
// fetched text cleaned for the XML parser.

class MovieUrls {
	// The folder part of a movie's URL, with its trailing '/', query and fragment dropped.
	public static function folderOf(url:String):String {
		if (url == null)
			return "";
		var cut = url.length;
		var q = url.indexOf("?");
		if (q >= 0 && q < cut)
			cut = q;
		var h = url.indexOf("#");
		if (h >= 0 && h < cut)
			cut = h;
		var path = url.substr(0, cut);
		var slash = path.lastIndexOf("/");
		return slash >= 0 ? path.substr(0, slash + 1) : "";
	}

	static function hasScheme(name:String):Bool {
		var colon = name.indexOf(":");
		if (colon < 2) // "C:\..." and "C:/..." are paths, not schemes
			return false;
		for (i in 0...colon) {
			var c = name.charCodeAt(i);
			var letter = (c >= 65 && c <= 90) || (c >= 97 && c <= 122);
			var other = (c >= 48 && c <= 57) || c == 43 || c == 45 || c == 46;
			if (!(letter || (i > 0 && other)))
				return false;
		}
		return true;
	}

	// The text of a fetched document without a leading byte-order mark.
	public static function withoutBom(text:String):String {
		return (text != null && text.length > 0 && text.charCodeAt(0) == 0xFEFF) ? text.substr(1) : text;
	}

	// Resolves a name written in a project (slashes or backslashes) against a folder URL.
	public static function resolve(folder:String, name:String):String {
		if (name == null || name == "")
			return folder;
		var n = name.split("\\").join("/");
		if (hasScheme(n))
			return n;
		if (StringTools.startsWith(n, "/")) {
			var scheme = folder.indexOf("://");
			if (scheme < 0)
				return n;
			var pathStart = folder.indexOf("/", scheme + 3);
			return (pathStart < 0 ? folder : folder.substr(0, pathStart)) + n;
		}
		while (StringTools.startsWith(n, "./"))
			n = n.substr(2);
		return folder + n;
	}
}
