// The geometry of editing on the canvas, in banner pixels: which element lies under the pointer,
// the eight resize handles, moving and resizing with a minimum size, snapping to the banner's
// edges and centre lines and to the other elements, and nudging. Pure math, no display.

typedef EditRect = {x:Float, y:Float, width:Float, height:Float};

/** A rectangle after snapping, with the lines it snapped to (for the guides drawn meanwhile). */
typedef SnapResult = {rect:EditRect, guidesX:Array<Float>, guidesY:Array<Float>};

/** The lines an edited element may snap to: vertical lines at xs, horizontal lines at ys. */
typedef SnapLines = {xs:Array<Float>, ys:Array<Float>};

class EditGeometry {
    /** No side of an element becomes shorter than this by resizing. */
    public static inline var MIN_SIZE = 4.0;

    // Handles, clockwise from the top left corner; NONE is no handle, the body of the element.
    public static inline var NONE = -1;
    public static inline var TOP_LEFT = 0;
    public static inline var TOP = 1;
    public static inline var TOP_RIGHT = 2;
    public static inline var RIGHT = 3;
    public static inline var BOTTOM_RIGHT = 4;
    public static inline var BOTTOM = 5;
    public static inline var BOTTOM_LEFT = 6;
    public static inline var LEFT = 7;

    // Which way each handle pulls: -1 moves the left/top edge, 1 the right/bottom edge, 0 neither.
    static var PULL_X = [-1, 0, 1, 1, 1, 0, -1, -1];
    static var PULL_Y = [-1, -1, -1, 0, 1, 1, 1, 0];

    /** The topmost rectangle (the last in drawing order) holding the point, or -1. Null entries are skipped. */
    public static function hitTest(rects:Array<Null<EditRect>>, x:Float, y:Float):Int {
        var i = rects.length;
        while (--i >= 0) {
            var r = rects[i];
            if (r != null && x >= r.x && x <= r.x + r.width && y >= r.y && y <= r.y + r.height)
                return i;
        }
        return -1;
    }

    /** Where handle h sits on r. */
    public static function handlePoint(r:EditRect, h:Int):{x:Float, y:Float} {
        return {x: r.x + r.width * (PULL_X[h] + 1) / 2, y: r.y + r.height * (PULL_Y[h] + 1) / 2};
    }

    /**
     * The handle nearest to the point within reach (reach in banner pixels), or NONE. On a tie a
     * corner wins over a side, so a small element can still be resized diagonally.
     */
    public static function handleAt(r:EditRect, x:Float, y:Float, reach:Float):Int {
        var best = NONE;
        var bestDistance = reach;
        for (h in [TOP_LEFT, TOP_RIGHT, BOTTOM_RIGHT, BOTTOM_LEFT, TOP, RIGHT, BOTTOM, LEFT]) {
            var p = handlePoint(r, h);
            var d = Math.max(Math.abs(p.x - x), Math.abs(p.y - y));
            if (d < bestDistance || (d == bestDistance && best == NONE)) {
                best = h;
                bestDistance = d;
            }
        }
        return best;
    }

    public static function move(r:EditRect, dx:Float, dy:Float):EditRect {
        return {x: r.x + dx, y: r.y + dy, width: r.width, height: r.height};
    }

    /**
     * The rectangle after its handle h has been dragged by dx, dy from where it started. The
     * opposite edge stays; no side gets below MIN_SIZE (the dragged edge stops instead of
     * turning the element over). With keepRatio the proportions of start stay: a corner follows
     * the larger of the two pulls, a side handle grows the other side about its centre.
     */
    public static function resize(start:EditRect, h:Int, dx:Float, dy:Float, keepRatio:Bool):EditRect {
        var px = PULL_X[h], py = PULL_Y[h];
        var w = Math.max(MIN_SIZE, start.width + px * dx);
        var ht = Math.max(MIN_SIZE, start.height + py * dy);
        if (px == 0)
            w = start.width;
        if (py == 0)
            ht = start.height;
        if (keepRatio && start.width > 0 && start.height > 0) {
            var f = if (px != 0 && py != 0) Math.max(w / start.width, ht / start.height) else if (px != 0) w / start.width else ht / start.height;
            // The smaller side sets how far the element may shrink.
            f = Math.max(f, MIN_SIZE / Math.min(start.width, start.height));
            w = start.width * f;
            ht = start.height * f;
        }
        return {
            x: px < 0 ? start.x + start.width - w : px > 0 ? start.x : start.x + (start.width - w) / 2,
            y: py < 0 ? start.y + start.height - ht : py > 0 ? start.y : start.y + (start.height - ht) / 2,
            width: w,
            height: ht
        };
    }

    /** The lines to snap to: the banner's edges and centre lines, and the edges and centres of others. */
    public static function snapLines(bannerW:Float, bannerH:Float, others:Array<EditRect>):SnapLines {
        var xs = [0, bannerW / 2, bannerW];
        var ys = [0, bannerH / 2, bannerH];
        for (o in others) {
            xs.push(o.x);
            xs.push(o.x + o.width / 2);
            xs.push(o.x + o.width);
            ys.push(o.y);
            ys.push(o.y + o.height / 2);
            ys.push(o.y + o.height);
        }
        return {xs: xs, ys: ys};
    }

    /**
     * A moved rectangle snapped: on each axis, the one of its left/centre/right (top/middle/bottom)
     * lines nearest to a snap line within reach is put on it. Unsnapped axes are rounded to whole
     * pixels.
     */
    public static function snapMove(r:EditRect, lines:SnapLines, reach:Float):SnapResult {
        var sx = nearest([r.x, r.x + r.width / 2, r.x + r.width], lines.xs, reach);
        var sy = nearest([r.y, r.y + r.height / 2, r.y + r.height], lines.ys, reach);
        return {
            rect: {
                x: sx == null ? Math.round(r.x) : r.x + sx.shift,
                y: sy == null ? Math.round(r.y) : r.y + sy.shift,
                width: r.width,
                height: r.height
            },
            guidesX: sx == null ? [] : [sx.line],
            guidesY: sy == null ? [] : [sy.line]
        };
    }

    /**
     * A resized rectangle snapped: only the edges handle h moves are snapped (the opposite edges
     * stay). With keepRatio only the horizontal edge snaps (the height follows it); when the handle
     * pulls no horizontal edge, only the vertical one. Unsnapped moving edges are rounded.
     */
    public static function snapResize(start:EditRect, h:Int, r:EditRect, lines:SnapLines, reach:Float, keepRatio:Bool):SnapResult {
        var px = PULL_X[h], py = PULL_Y[h];
        var guidesX = [], guidesY = [];
        var left = r.x, right = r.x + r.width, top = r.y, bottom = r.y + r.height;
        if (px != 0) {
            var edge = px < 0 ? left : right;
            var s = nearest([edge], lines.xs, reach);
            var moved = s == null ? Math.round(edge) : s.line;
            if (s != null)
                guidesX.push(s.line);
            if (px < 0)
                left = Math.min(moved, right - MIN_SIZE);
            else
                right = Math.max(moved, left + MIN_SIZE);
        }
        if (py != 0 && !(keepRatio && px != 0)) {
            var edge = py < 0 ? top : bottom;
            var s = nearest([edge], lines.ys, reach);
            var moved = s == null ? Math.round(edge) : s.line;
            if (s != null)
                guidesY.push(s.line);
            if (py < 0)
                top = Math.min(moved, bottom - MIN_SIZE);
            else
                bottom = Math.max(moved, top + MIN_SIZE);
        }
        var out:EditRect = {x: left, y: top, width: right - left, height: bottom - top};
        if (keepRatio && start.width > 0 && start.height > 0) {
            // Recompute the dependent side from the snapped one, about the same anchor as resize().
            var f = px != 0 ? out.width / start.width : out.height / start.height;
            f = Math.max(f, MIN_SIZE / Math.min(start.width, start.height));
            var w = start.width * f, ht = start.height * f;
            out.x = px < 0 ? right - w : px > 0 ? left : start.x + (start.width - w) / 2;
            out.y = py < 0 ? start.y + start.height - ht : py > 0 ? start.y : start.y + (start.height - ht) / 2;
            out.width = w;
            out.height = ht;
        }
        return {rect: out, guidesX: guidesX, guidesY: guidesY};
    }

    /** The smallest rectangle holding them all; null for none. */
    public static function bounds(rects:Array<EditRect>):Null<EditRect> {
        if (rects.length == 0)
            return null;
        var left = Math.POSITIVE_INFINITY, top = Math.POSITIVE_INFINITY;
        var right = Math.NEGATIVE_INFINITY, bottom = Math.NEGATIVE_INFINITY;
        for (r in rects) {
            left = Math.min(left, r.x);
            top = Math.min(top, r.y);
            right = Math.max(right, r.x + r.width);
            bottom = Math.max(bottom, r.y + r.height);
        }
        return {x: left, y: top, width: right - left, height: bottom - top};
    }

    /** Whether two rectangles share any point (touching edges count). */
    public static function touches(a:EditRect, b:EditRect):Bool {
        return a.x <= b.x + b.width && b.x <= a.x + a.width && a.y <= b.y + b.height && b.y <= a.y + a.height;
    }

    /**
     * The rectangles lined up on one side or centre line of `to`: how is left, center, right, top,
     * middle or bottom. Only the one coordinate moves; sizes stay.
     */
    public static function align(rects:Array<EditRect>, how:String, to:EditRect):Array<EditRect> {
        return [
            for (r in rects) {
                var x = r.x, y = r.y;
                switch (how) {
                    case "left": x = to.x;
                    case "center": x = to.x + (to.width - r.width) / 2;
                    case "right": x = to.x + to.width - r.width;
                    case "top": y = to.y;
                    case "middle": y = to.y + (to.height - r.height) / 2;
                    case "bottom": y = to.y + to.height - r.height;
                    default:
                }
                ({x: x, y: y, width: r.width, height: r.height} : EditRect);
            }
        ];
    }

    /**
     * The rectangles spread between `from` and `to` (left and right edges, or top and bottom) with
     * equal gaps between them, in the order of their centres; the first starts at `from`, the last
     * ends at `to`. Answered in the order given.
     */
    public static function distribute(rects:Array<EditRect>, horizontal:Bool, from:Float, to:Float):Array<EditRect> {
        var order = [for (i in 0...rects.length) i];
        function centre(r:EditRect)
            return horizontal ? r.x + r.width / 2 : r.y + r.height / 2;
        order.sort(function(a, b) {
            var d = centre(rects[a]) - centre(rects[b]);
            return d < 0 ? -1 : (d > 0 ? 1 : a - b);
        });
        var total = 0.0;
        for (r in rects)
            total += horizontal ? r.width : r.height;
        var gap = rects.length > 1 ? (to - from - total) / (rects.length - 1) : 0;
        var out:Array<EditRect> = [for (r in rects) {x: r.x, y: r.y, width: r.width, height: r.height}];
        var at = from;
        for (i in order) {
            var r = out[i];
            if (horizontal) {
                r.x = at;
                at += r.width + gap;
            } else {
                r.y = at;
                at += r.height + gap;
            }
        }
        return out;
    }

    /** Lines every `step` banner pixels across the banner, for snapping to the grid. */
    public static function gridLines(bannerW:Float, bannerH:Float, step:Float):SnapLines {
        var xs = [], ys = [];
        if (step > 0) {
            var v = 0.0;
            while (v <= bannerW) {
                xs.push(v);
                v += step;
            }
            v = 0.0;
            while (v <= bannerH) {
                ys.push(v);
                v += step;
            }
        }
        return {xs: xs, ys: ys};
    }

    /** The rectangle nudged by the arrow keys: by dx, dy banner pixels. */
    public static function nudge(r:EditRect, dx:Float, dy:Float):EditRect {
        return move(r, dx, dy);
    }

    /** The closest pair of a candidate value and a snap line within reach: the line and the shift onto it. */
    static function nearest(candidates:Array<Float>, lines:Array<Float>, reach:Float):Null<{line:Float, shift:Float}> {
        // Of the lines within reach of each candidate, the nearest (the first listed of equals);
        // an earlier candidate keeps a tie. The nearest line is next to the candidate's place among
        // the lines in order, so each candidate costs a search, however many lines there are.
        var index = indexOf(lines);
        var values = index.values, firsts = index.firsts;
        var best:Null<{line:Float, shift:Float}> = null;
        for (c in candidates) {
            var low = 0, high = values.length;
            while (low < high) {
                var mid = (low + high) >> 1;
                if (values[mid] < c)
                    low = mid + 1;
                else
                    high = mid;
            }
            var found = -1;
            if (low > 0 && values[low - 1] >= c - reach)
                found = low - 1;
            if (low < values.length && values[low] <= c + reach) {
                var above = Math.abs(values[low] - c), below = found < 0 ? 0.0 : Math.abs(values[found] - c);
                if (found < 0 || above < below || (above == below && firsts[low] < firsts[found]))
                    found = low;
            }
            if (found >= 0) {
                var d = values[found] - c;
                if (Math.abs(d) <= reach && (best == null || Math.abs(d) < Math.abs(best.shift)))
                    best = {line: values[found], shift: d};
            }
        }
        return best;
    }

    // The last lists put in order (a drag asks about the same two lists at every step): each
    // distinct line once, in order of place, with the first place it has in the list.
    static var indexedLists:Array<Array<Float>> = [];
    static var indexes:Array<LineIndex> = [];

    static function indexOf(lines:Array<Float>):LineIndex {
        for (i in 0...indexedLists.length)
            if (indexedLists[i] == lines && indexes[i].count == lines.length)
                return indexes[i];
        var order = [for (i in 0...lines.length) i];
        order.sort(function(a, b) return lines[a] < lines[b] ? -1 : (lines[a] > lines[b] ? 1 : a - b));
        var index:LineIndex = {values: [], firsts: [], count: lines.length};
        for (k in order)
            if (index.values.length == 0 || index.values[index.values.length - 1] != lines[k]) {
                index.values.push(lines[k]);
                index.firsts.push(k);
            }
        indexedLists.unshift(lines);
        indexes.unshift(index);
        if (indexedLists.length > 2) {
            indexedLists.pop();
            indexes.pop();
        }
        return index;
    }
}

private typedef LineIndex = {
    values:Array<Float>,
    firsts:Array<Int>,
    count:Int
}
