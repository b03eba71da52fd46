// Unit tests of the editor's model and publishing rules, run by Haxe's interpreter (no player needed).
class EditorUnitTests {
    static var passed = 0;
    static var failed = 0;

    static function check(what:String, ok:Bool, ?detail:String) {
        if (ok) {
            passed++;
        } else {
            failed++;
            Sys.println("FAIL: " + what + (detail != null ? " (" + detail + ")" : ""));
        }
    }

    static function same<T>(what:String, expected:T, actual:T) {
        check(what, expected == actual, "expected <" + Std.string(expected) + "> got <" + Std.string(actual) + ">");
    }

    static function main() {
        roundTripKeepsEveryTextExactly();
        readingOutOfRangeValuesGivesTheDefaults();
        readsTheDocumentedExample();
        rejectsWhatIsNotAProject();
        colours();
        publishRules();
        formatting();
        relativeImages();
        everyReaderAppliesTheSameRules();
        EditGeometryTests.run(check);
        Sys.println(passed + " passed, " + failed + " failed");
        Sys.exit(failed == 0 ? 0 : 1);
    }

    static function roundTripKeepsEveryTextExactly() {
        var texts = [
            "plain", "back\\nslash n", "C:\\new\\temp", "x & <y> \"q\" 'z'", "line 1\nline 2", "tab\tin it",
            "Unicode: \u00dcber caf\u00e9 \u65e5\u672c \u{1F600}", "]]> and &amp; literally", ""
        ];
        for (t in texts) {
            var m = new ProjectModel();
            m.headline = "Head " + t + " end";
            m.image = "/home/ann/" + t + "/sky.png";
            m.link = "https://example.org/?q=" + t;
            m.linkTarget = "_self";
            m.width = 728;
            m.height = 90;
            m.background = 0x123456;
            m.fit = "stretch";
            m.headlineColor = 0xABCDEF;
            m.headlineSize = 13;
            m.headlineBold = false;
            m.headlineAlign = "right";
            m.headlineVAlign = "middle";
            m.effect = "zoom";
            m.duration = 0;
            var xml = m.toXml();
            check("no backslash in the text for " + t, xml.indexOf("\\") < 0);
            // The host turns backslash + n into a line feed: nothing may change.
            same("host unwrapping leaves the text for " + t, xml, xml.split("\\n").join("\n"));
            var back = ProjectModel.fromXml(xml);
            same("headline " + t, m.headline, back.headline);
            same("image " + t, m.image, back.image);
            same("link " + t, m.link, back.link);
            same("written again " + t, xml, back.toXml());
        }
        var m = new ProjectModel();
        m.headline = "a\x01b\x1Fc";
        same("control characters are left out", "abc", ProjectModel.fromXml(m.toXml()).headline);
        m.headline = "  padded  ";
        same("the headline is trimmed as the banner trims it", "padded", ProjectModel.fromXml(m.toXml()).headline);
    }

    static function attribute(text:String):String {
        return StringTools.htmlEscape(text, true);
    }

    // The table the host's tests read too: the editor, the banner movies' shared rules and the
    // component's project reader must all give its answers.
    static function everyReaderAppliesTheSameRules() {
        var args = Sys.args();
        if (args.length == 0) {
            check("the rules table is named on the command line", false);
            return;
        }
        var cases = 0;
        for (line in sys.io.File.getContent(args[0]).split("\n")) {
            var f = line.split("\t");
            if (line == "" || line.charAt(0) == "#" || f.length != 3)
                continue;
            cases++;
            if (f[0] == "side") {
                var expected = Std.parseInt(f[2]);
                var xml = f[1] == "(missing)" ? "<template/>" : "<template demoWidth=\"" + attribute(f[1]) + "\"/>";
                var text = f[1] == "(missing)" ? null : f[1];
                same("editor width of <" + f[1] + ">", expected, ProjectModel.fromXml(xml).width);
                same("banner width of <" + f[1] + ">", expected, BannerProject.parse(xml).width);
                same("movie rule for <" + f[1] + ">", expected, ProjectRules.side(text, 720));
            } else {
                var opens = f[2] == "yes";
                var xml = "<template><link url=\"" + attribute(f[1]) + "\"/></template>";
                same("editor keeps <" + f[1] + ">", opens, ProjectModel.fromXml(xml).link != "");
                same("banner opens <" + f[1] + ">", opens, BannerProject.parse(xml).link != null);
                same("movie rule for <" + f[1] + ">", opens, ProjectRules.allowedLink(f[1]));
            }
        }
        check("the rules table has cases", cases > 10);
    }

    static function readingOutOfRangeValuesGivesTheDefaults() {
        var cases = [
            {xml: "<template/>", w: 720, h: 540},
            {xml: "<template demoWidth='0' demoHeight='8192'/>", w: 1, h: 8191},
            {xml: "<template demoWidth=' 300 ' demoHeight='abc'/>", w: 300, h: 540},
            {xml: "<template demoWidth='8191' demoHeight='1'/>", w: 8191, h: 1}
        ];
        for (c in cases) {
            var m = ProjectModel.fromXml(c.xml);
            same("width of " + c.xml, c.w, m.width);
            same("height of " + c.xml, c.h, m.height);
        }
        var m = ProjectModel.fromXml("<template bgColor='zzz' fit='tile'><headline size='3' align='justify' valign='low' color='#12'>"
            + "Hi</headline><effect type='spin' duration='20000'/></template>");
        same("bad background", 0xFFFFFF, m.background);
        same("bad fit", "cover", m.fit);
        same("bad size", 28, m.headlineSize);
        same("bad align", "center", m.headlineAlign);
        same("bad valign", "bottom", m.headlineVAlign);
        same("bad colour", 0xFFFFFF, m.headlineColor);
        same("bad effect", "fade", m.effect);
        same("bad duration", 800, m.duration);
        var bare = ProjectModel.fromXml("<template/>");
        same("no effect element fades", "fade", bare.effect);
        same("no image", "", bare.image);
        same("no link", "", bare.link);
        same("no component keeps the default url", ProjectModel.DEFAULT_COMPONENT_URL, bare.componentUrl);
    }

    static function readsTheDocumentedExample() {
        var m = ProjectModel.fromXml('<?xml version="1.0" encoding="UTF-8"?>\n'
            + '<template demoWidth="300" demoHeight="250" img="res/beach.png" bgColor="#1E3A5F" fit="cover">\n'
            + '  <component>\n    <info url="res/template.swf"/>\n  </component>\n'
            + '  <headline color="#FFFFFF" size="26" bold="true" align="center" valign="bottom">Summer sale: 30% off</headline>\n'
            + '  <link url="https://example.org/sale" target="_blank"/>\n  <effect type="fade" duration="800"/>\n</template>\n');
        same("example size", "300x250", m.width + "x" + m.height);
        same("example image", "res/beach.png", m.image);
        same("example background", 0x1E3A5F, m.background);
        same("example headline", "Summer sale: 30% off", m.headline);
        same("example size of text", 26, m.headlineSize);
        same("example link", "https://example.org/sale", m.link);
    }

    static function rejectsWhatIsNotAProject() {
        for (text in ["", "<template demoWidth='1'", "<banner/>", "just text"]) {
            var threw = false;
            try {
                ProjectModel.fromXml(text);
            } catch (e:Dynamic) {
                threw = true;
            }
            check("rejects <" + text + ">", threw);
        }
    }

    static function colours() {
        var cases:Array<{text:String, value:Int}> = [
            {text: "#1e3a5f", value: 0x1E3A5F}, {text: "0x1E3A5F", value: 0x1E3A5F}, {text: "1E3A5F", value: 0x1E3A5F},
            {text: " #FFFFFF ", value: 0xFFFFFF}, {text: "#12", value: -1}, {text: "#GGGGGG", value: -1}, {text: null, value: -1},
            {text: "#1234567", value: -1}
        ];
        for (c in cases)
            same("colour " + c.text, c.value, ProjectModel.parseColour(c.text, -1));
        same("colour text", "#0A0B0C", ProjectModel.colourText(0x0A0B0C));
    }

    static function publishRules() {
        for (name in ["banner.swf", "my banner.html", "", "t\u00e9st.xml"])
            check("plain name " + name, PublishRules.isPlainFileName(name));
        for (name in ["../x.swf", "a/b.swf", "a\\b.swf", ".hidden", ".."])
            check("refused name " + name, !PublishRules.isPlainFileName(name));
        var folders = [
            {folder: "/web", movie: "banner.swf", expected: "/web/banner"},
            {folder: " /web/ ", movie: "my.banner.swf", expected: "/web/my.banner"},
            {folder: "/web", movie: "promo", expected: "/web/promo"},
            {folder: "/web", movie: ".swf", expected: "/web/.swf"},
            {folder: "/web", movie: "  ", expected: "/web/banner"}
        ];
        for (f in folders)
            same("publish folder of " + f.folder + " + " + f.movie, f.expected, PublishRules.publishFolder(f.folder, f.movie));
        var words = [Wire.REPLY_OK, Wire.REPLY_USER_CANCEL, Wire.REPLY_CREATE_DIR_FAILED, Wire.REPLY_NO_CONTENT, "odd", null];
        var seen = new Map<String, Bool>();
        for (w in words) {
            var text = PublishRules.describeReply(w, "/web/banner");
            check("a sentence for " + w, text.length > 10 && text != w);
            check("a different sentence for " + w, !seen.exists(text));
            seen.set(text, true);
        }
        check("ok names the folder", PublishRules.describeReply("ok", "/web/banner").indexOf("/web/banner") >= 0);
        check("an unknown reply is shown", PublishRules.describeReply("odd", "").indexOf("odd") >= 0);
    }

    static function relativeImages() {
        var cases = [
            {img: "beach.png", project: "/home/ann/sale/sale.pbf", expected: "/home/ann/sale/beach.png"},
            {img: "./art/beach.png", project: "/p/x.pbf", expected: "/p/art/beach.png"},
            {img: "art\\beach.png", project: "/p/x.pbf", expected: "/p/art/beach.png"},
            {img: "/abs/beach.png", project: "/p/x.pbf", expected: "/abs/beach.png"},
            {img: "C:\\Art\\beach.png", project: "/p/x.pbf", expected: "C:\\Art\\beach.png"},
            {img: "https://example.org/b.png", project: "/p/x.pbf", expected: "https://example.org/b.png"},
            {img: "", project: "/p/x.pbf", expected: ""},
            {img: "beach.png", project: "x.pbf", expected: "beach.png"}
        ];
        for (c in cases)
            same("image " + c.img + " of " + c.project, c.expected, ProjectModel.resolveAgainst(c.img, c.project));

        // Saved beside or below the project, an image is stored relative to it and read back whole;
        // elsewhere (or climbing out) it stays absolute, as older projects store it.
        var stored = [
            {img: "/home/ann/sale/beach.png", project: "/home/ann/sale/sale.pbf", expected: "beach.png"},
            {img: "/home/ann/sale/art/b.png", project: "/home/ann/sale/sale.pbf", expected: "art/b.png"},
            {img: "/home/ann/other/b.png", project: "/home/ann/sale/sale.pbf", expected: "/home/ann/other/b.png"},
            {img: "/home/ann/sale/../x.png", project: "/home/ann/sale/sale.pbf", expected: "/home/ann/sale/../x.png"},
            {img: "/home/ann/salesman/b.png", project: "/home/ann/sale/sale.pbf", expected: "/home/ann/salesman/b.png"},
            {img: "C:\\Art\\b.png", project: "C:\\Art\\p.pbf", expected: "b.png"},
            {img: "https://example.org/b.png", project: "/p/x.pbf", expected: "https://example.org/b.png"},
            {img: "", project: "/p/x.pbf", expected: ""}
        ];
        for (c in stored) {
            var relative = ProjectModel.relativeTo(c.img, c.project);
            same("stored " + c.img, c.expected, relative);
            same("read back " + c.img, c.img, ProjectModel.resolveAgainst(relative, c.project).split("\\").join(c.img.indexOf("\\") >= 0 ? "\\" : "/"));
        }
    }

    static function formatting() {
        same("two values", "a 1 b 2", Strings.format("a %s b %s", ["1", "2"]));
        same("missing value", "x  y", Strings.format("x %s y", []));
        same("percent kept", "50% of 3", Strings.format("50% of %s", ["3"]));
    }
}
