// Colours as the picker works with them: hue, saturation and value, and the colours a banner uses.
class Palette {
    /** Hue (0 to 360), saturation and value (0 to 1) of 0xRRGGBB. */
    public static function toHsv(c:Int):Array<Float> {
        var r = ((c >> 16) & 255) / 255, g = ((c >> 8) & 255) / 255, b = (c & 255) / 255;
        var max = Math.max(r, Math.max(g, b)), min = Math.min(r, Math.min(g, b));
        var d = max - min;
        var h = 0.0;
        if (d > 0) {
            if (max == r)
                h = 60 * (((g - b) / d) % 6);
            else if (max == g)
                h = 60 * ((b - r) / d + 2);
            else
                h = 60 * ((r - g) / d + 4);
        }
        if (h < 0)
            h += 360;
        return [h, max == 0 ? 0 : d / max, max];
    }

    /** 0xRRGGBB of a hue (0 to 360), saturation and value (0 to 1). */
    public static function fromHsv(h:Float, s:Float, v:Float):Int {
        var c = v * s;
        var x = c * (1 - Math.abs((h / 60) % 2 - 1));
        var m = v - c;
        var rgb = if (h < 60) [c, x, 0.0] else if (h < 120) [x, c, 0.0] else if (h < 180) [0.0, c, x] else if (h < 240) [0.0, x, c] else if (h < 300)
            [x, 0.0, c] else [c, 0.0, x];
        var out = 0;
        for (i in 0...3)
            out = (out << 8) | Std.int(Math.round((rgb[i] + m) * 255));
        return out;
    }

    /** The colours a document uses (background, texts, fills, strokes, shadows), each once, most used first. */
    public static function usedIn(doc:BannerDocument):Array<Int> {
        var counts = new Map<Int, Int>();
        var order = [];
        function count(c:Null<Int>) {
            if (c == null || c < 0)
                return;
            if (!counts.exists(c)) {
                counts.set(c, 0);
                order.push(c);
            }
            counts.set(c, counts.get(c) + 1);
        }
        count(doc.background);
        for (e in doc.elements) {
            switch (e.kind) {
                case Text:
                    count(e.color);
                    count(e.shadowColor);
                case Button:
                    count(e.fill);
                    count(e.color);
                case Shape:
                    count(e.fill);
                    count(e.stroke);
                case Image:
            }
        }
        var first = [for (i in 0...order.length) i];
        first.sort(function(a, b) {
            var d = counts.get(order[b]) - counts.get(order[a]);
            return d != 0 ? d : a - b;
        });
        return [for (i in first) order[i]];
    }
}
