// The banner being edited and its project XML: written exactly as the banner and component movies read it.
class ProjectModel {
    public static inline var MIN_SIZE = 10;
    public static inline var MAX_SIZE = 8191;
    public static inline var DEFAULT_COMPONENT_URL = "res/template.swf";
    public static var EFFECTS:Array<String> = ["none", "fade", "slide", "zoom"];
    public static var FITS:Array<String> = ["cover", "contain", "stretch"];
    public static var ALIGNS:Array<String> = ["left", "center", "right"];
    public static var VALIGNS:Array<String> = ["top", "middle", "bottom"];
    public static inline var MIN_FONT = 6;
    public static inline var MAX_FONT = 200;
    public static inline var MAX_DURATION = 10000;

    public var width:Int = 300;
    public var height:Int = 250;
    /** Path of the image file, as the host's file dialog gave it; empty when none is chosen. */
    public var image:String = "";
    public var background:Int = 0x1E3A5F;
    public var fit:String = "cover";
    public var headline:String = "";
    public var headlineColor:Int = 0xFFFFFF;
    public var headlineSize:Int = 28;
    public var headlineBold:Bool = true;
    public var headlineAlign:String = "center";
    public var headlineVAlign:String = "bottom";
    public var link:String = "";
    public var linkTarget:String = "_blank";
    public var effect:String = "fade";
    public var duration:Int = 800;
    public var componentUrl:String = DEFAULT_COMPONENT_URL;

    public function new() {}

    public function copy():ProjectModel {
        var m = new ProjectModel();
        m.width = width;
        m.height = height;
        m.image = image;
        m.background = background;
        m.fit = fit;
        m.headline = headline;
        m.headlineColor = headlineColor;
        m.headlineSize = headlineSize;
        m.headlineBold = headlineBold;
        m.headlineAlign = headlineAlign;
        m.headlineVAlign = headlineVAlign;
        m.link = link;
        m.linkTarget = linkTarget;
        m.effect = effect;
        m.duration = duration;
        m.componentUrl = componentUrl;
        return m;
    }

    public static function clampSize(value:Int):Int {
        return value < MIN_SIZE ? MIN_SIZE : (value > MAX_SIZE ? MAX_SIZE : value);
    }

    /**
        The project text. Backslashes are written as character references so that the host's
        line-break unwrapping (backslash + "n" becomes a line feed) can never change a path or
        a headline; line feeds inside attribute values are references too, so they survive parsing.
    **/
    public function toXml():String {
        var b = new StringBuf();
        b.add('<?xml version="1.0" encoding="UTF-8"?>\n');
        b.add('<template demoWidth="' + width + '" demoHeight="' + height + '" img="' + escape(image, true) + '" bgColor="'
            + colourText(background) + '" fit="' + fit + '">\n');
        b.add('  <component>\n');
        b.add('    <info url="' + escape(componentUrl, true) + '"/>\n');
        b.add('  </component>\n');
        b.add('  <headline color="' + colourText(headlineColor) + '" size="' + headlineSize + '" bold="' + headlineBold + '" align="'
            + headlineAlign + '" valign="' + headlineVAlign + '">' + escape(headline, false) + '</headline>\n');
        b.add('  <link url="' + escape(link, true) + '" target="' + escape(linkTarget, true) + '"/>\n');
        b.add('  <effect type="' + effect + '" duration="' + duration + '"/>\n');
        b.add('</template>\n');
        return b.toString();
    }

    /** Reads a project text; throws a String describing the problem when it is not a banner project. */
    public static function fromXml(text:String):ProjectModel {
        var doc:Xml;
        try {
            doc = Xml.parse(text);
        } catch (e:Dynamic) {
            throw "not XML: " + Std.string(e);
        }
        var root:Xml = null;
        for (e in doc.elements()) {
            root = e;
            break;
        }
        if (root == null || root.nodeName != "template")
            throw "no template element";
        // The size is read as the host and the banner movies read it.
        var m = new ProjectModel();
        m.width = readSide(root.get("demoWidth"), 720);
        m.height = readSide(root.get("demoHeight"), 540);
        m.image = orEmpty(root.get("img"));
        m.background = parseColour(root.get("bgColor"), 0xFFFFFF);
        m.fit = oneOf(root.get("fit"), FITS, "cover");
        for (c in root.elementsNamed("component"))
            for (info in c.elementsNamed("info"))
                if (info.get("url") != null)
                    m.componentUrl = info.get("url");
        var headline = first(root, "headline");
        if (headline != null) {
            m.headline = StringTools.trim(textOf(headline));
            m.headlineColor = parseColour(headline.get("color"), 0xFFFFFF);
            m.headlineSize = readInt(headline.get("size"), MIN_FONT, MAX_FONT, 28);
            m.headlineBold = headline.get("bold") != "false";
            m.headlineAlign = oneOf(headline.get("align"), ALIGNS, "center");
            m.headlineVAlign = oneOf(headline.get("valign"), VALIGNS, "bottom");
        }
        var link = first(root, "link");
        if (link != null) {
            m.link = isAllowedLink(link.get("url")) ? StringTools.trim(link.get("url")) : "";
            if (link.get("target") != null && link.get("target") != "")
                m.linkTarget = link.get("target");
        }
        var effect = first(root, "effect");
        m.effect = effect == null ? "fade" : oneOf(effect.get("type"), EFFECTS, "fade");
        m.duration = effect == null ? 800 : readInt(effect.get("duration"), 0, MAX_DURATION, 800);
        return m;
    }

    /**
        A banner side as every reader of a project reads it (the host's project/BannerSize and the
        movies' ProjectRules): missing or not a number gives the fallback; a number (white space,
        an optional sign, decimal digits, anything after them ignored) is clamped to 1..MAX_SIZE.
    **/
    public static function readSide(value:String, fallback:Int):Int {
        if (value == null)
            return fallback;
        var i = 0;
        while (i < value.length && (value.charCodeAt(i) == 32 || (value.charCodeAt(i) >= 9 && value.charCodeAt(i) <= 13)))
            i++;
        var negative = false;
        if (i < value.length && (value.charAt(i) == "+" || value.charAt(i) == "-")) {
            negative = value.charAt(i) == "-";
            i++;
        }
        var digits = 0;
        var n = 0.0;
        while (i < value.length && value.charCodeAt(i) >= 48 && value.charCodeAt(i) <= 57) {
            if (n < 1e10)
                n = n * 10 + (value.charCodeAt(i) - 48);
            i++;
            digits++;
        }
        if (digits == 0)
            return fallback;
        if (negative)
            n = -n;
        return n < 1 ? 1 : (n > MAX_SIZE ? MAX_SIZE : Std.int(n));
    }

    /** Links a banner may open: "http:", "https:" or "mailto:" (any case); anything else is no link. **/
    public static function isAllowedLink(url:String):Bool {
        if (url == null)
            return false;
        var t = StringTools.trim(url).toLowerCase();
        return StringTools.startsWith(t, "http:") || StringTools.startsWith(t, "https:") || StringTools.startsWith(t, "mailto:");
    }

    static function readInt(value:String, low:Int, high:Int, fallback:Int):Int {
        if (value == null)
            return fallback;
        var n = Std.parseInt(StringTools.trim(value));
        return (n == null || n < low || n > high) ? fallback : n;
    }

    static function oneOf(value:String, allowed:Array<String>, fallback:String):String {
        return value != null && allowed.indexOf(value) >= 0 ? value : fallback;
    }

    static function first(root:Xml, name:String):Xml {
        for (e in root.elementsNamed(name))
            return e;
        return null;
    }

    /** "#RRGGBB", "0xRRGGBB" or "RRGGBB"; the fallback for anything else. */
    public static function parseColour(text:String, fallback:Int):Int {
        if (text == null)
            return fallback;
        var t = StringTools.trim(text);
        if (StringTools.startsWith(t, "#"))
            t = t.substr(1);
        else if (StringTools.startsWith(t.toLowerCase(), "0x"))
            t = t.substr(2);
        if (t.length != 6)
            return fallback;
        for (i in 0...6)
            if ("0123456789abcdefABCDEF".indexOf(t.charAt(i)) < 0)
                return fallback;
        return Std.parseInt("0x" + t);
    }

    public static function colourText(colour:Int):String {
        return "#" + StringTools.hex(colour & 0xFFFFFF, 6);
    }

    static function orEmpty(s:String):String {
        return s == null ? "" : s;
    }

    static function textOf(node:Xml):String {
        var b = new StringBuf();
        for (c in node) {
            if (c.nodeType == Xml.PCData || c.nodeType == Xml.CData)
                b.add(c.nodeValue);
        }
        return b.toString();
    }

    public static function escape(s:String, inAttribute:Bool):String {
        var b = new StringBuf();
        for (i in 0...s.length) {
            var c = s.charCodeAt(i);
            switch (c) {
                case "&".code: b.add("&amp;");
                case "<".code: b.add("&lt;");
                case ">".code: b.add("&gt;");
                case '"'.code: b.add(inAttribute ? "&quot;" : '"');
                case "\\".code: b.add("&#92;");
                case 10: b.add(inAttribute ? "&#10;" : "\n");
                case 13: b.add("&#13;");
                case 9: b.add(inAttribute ? "&#9;" : "\t");
                default:
                    // Other control characters cannot appear in XML 1.0 at all.
                    if (c >= 32) b.add(s.charAt(i));
            }
        }
        return b.toString();
    }

    /** Whether a path names its file on its own: from the root, with a drive, or as a URL. */
    public static function isAbsolute(path:String):Bool {
        return StringTools.startsWith(path, "/") || path.indexOf(":\\") >= 0 || path.indexOf(":/") >= 0;
    }

    /**
        A path relative to the project file, made absolute, so that the preview finds the image
        and publishing copies it whatever folder the project is in.
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

    /**
        The image path as a project saved at projectFile stores it: relative when the image sits in
        the project's folder or below it (so the folder can be moved or sent whole), as it is
        otherwise. resolveAgainst turns it back.
    **/
    public static function relativeTo(path:String, projectFile:String):String {
        var cut = Std.int(Math.max(projectFile.lastIndexOf("/"), projectFile.lastIndexOf("\\")));
        if (path == "" || cut <= 0 || !isAbsolute(path))
            return path;
        var folder = projectFile.substr(0, cut + 1);
        if (!StringTools.startsWith(path, folder))
            return path;
        var rest = path.substr(folder.length);
        // Never a parent reference: a path that climbs out stays absolute.
        var parts = StringTools.replace(rest, "\\", "/").split("/");
        if (rest == "" || parts.indexOf("..") >= 0 || parts.indexOf("") >= 0)
            return path;
        return rest;
    }

    /** The file name part of a path written with "/" or "\". */
    public static function fileName(path:String):String {
        var cut = Std.int(Math.max(path.lastIndexOf("/"), path.lastIndexOf("\\")));
        return cut >= 0 ? path.substr(cut + 1) : path;
    }
}
