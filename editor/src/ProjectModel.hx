// The banner being edited and its project XML: written exactly as the banner and component movies read it.
class ProjectModel {
    public static inline var MIN_SIZE = 10;
    public static inline var MAX_SIZE = 2880;
    public static inline var DEFAULT_COMPONENT_URL = "res/template.swf";
    public static var EFFECTS:Array<String> = ["none", "fade", "slide", "zoom"];

    public var width:Int = 300;
    public var height:Int = 250;
    /** Path of the image file, as the host's file dialog gave it; empty when none is chosen. */
    public var image:String = "";
    public var headline:String = "";
    public var link:String = "";
    public var effect:String = "fade";
    public var componentUrl:String = DEFAULT_COMPONENT_URL;

    public function new() {}

    public function copy():ProjectModel {
        var m = new ProjectModel();
        m.width = width;
        m.height = height;
        m.image = image;
        m.headline = headline;
        m.link = link;
        m.effect = effect;
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
        b.add('<template demoWidth="' + width + '" demoHeight="' + height + '" img="' + escape(image, true) + '">\n');
        b.add('  <component>\n');
        b.add('    <info url="' + escape(componentUrl, true) + '"/>\n');
        b.add('  </component>\n');
        b.add('  <headline>' + escape(headline, false) + '</headline>\n');
        b.add('  <link url="' + escape(link, true) + '" target="_blank"/>\n');
        b.add('  <effect type="' + escape(effect, true) + '"/>\n');
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
        var m = new ProjectModel();
        m.width = readSize(root.get("demoWidth"), 720);
        m.height = readSize(root.get("demoHeight"), 540);
        m.image = orEmpty(root.get("img"));
        for (c in root.elementsNamed("component"))
            for (info in c.elementsNamed("info"))
                if (info.get("url") != null)
                    m.componentUrl = info.get("url");
        for (h in root.elementsNamed("headline"))
            m.headline = textOf(h);
        for (l in root.elementsNamed("link"))
            m.link = l.get("url") != null ? l.get("url") : textOf(l);
        for (ef in root.elementsNamed("effect")) {
            var kind = ef.get("type") != null ? ef.get("type") : textOf(ef);
            m.effect = EFFECTS.indexOf(kind) >= 0 ? kind : "none";
        }
        return m;
    }

    static function readSize(value:String, fallback:Int):Int {
        if (value == null)
            return fallback;
        var n = Std.parseInt(StringTools.trim(value));
        return n == null ? fallback : clampSize(n);
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

    /** The file name part of a path written with "/" or "\". */
    public static function fileName(path:String):String {
        var cut = Std.int(Math.max(path.lastIndexOf("/"), path.lastIndexOf("\\")));
        return cut >= 0 ? path.substr(cut + 1) : path;
    }
}
