// The canvas's editing geometry: picking, resizing from every handle, snapping and nudging.
import EditGeometry.EditRect;

class EditGeometryTests {
    static var check:(String, Bool, ?String) -> Void;

    public static function run(checker:(String, Bool, ?String) -> Void) {
        check = checker;
        pickingTakesTheTopmost();
        resizingFromEveryHandle();
        snapping();
        nudging();
    }

    static function same(what:String, expected:EditRect, actual:EditRect) {
        var close = function(a:Float, b:Float) return Math.abs(a - b) < 1e-9;
        check(what, close(expected.x, actual.x) && close(expected.y, actual.y) && close(expected.width, actual.width)
            && close(expected.height, actual.height), "expected " + show(expected) + " got " + show(actual));
    }

    static function show(r:EditRect):String {
        return "(" + r.x + ", " + r.y + ", " + r.width + " x " + r.height + ")";
    }

    static function pickingTakesTheTopmost() {
        var bottom:EditRect = {x: 0, y: 0, width: 300, height: 250};
        var middle:EditRect = {x: 10, y: 10, width: 100, height: 50};
        var top:EditRect = {x: 50, y: 30, width: 100, height: 50};
        var rects:Array<Null<EditRect>> = [bottom, middle, top];
        check("overlap: the last drawn", EditGeometry.hitTest(rects, 60, 40) == 2);
        check("only the middle one", EditGeometry.hitTest(rects, 20, 20) == 1);
        check("the bottom one", EditGeometry.hitTest(rects, 200, 200) == 0);
        check("edges are inside", EditGeometry.hitTest(rects, 150, 80) == 2);
        check("outside all", EditGeometry.hitTest(rects, 301, 10) == -1);
        rects[2] = null; // hidden at the time shown
        check("a hidden element is passed over", EditGeometry.hitTest(rects, 60, 40) == 1);

        // Handles: within reach of their points, corners before sides on a tiny element.
        var r:EditRect = {x: 10, y: 20, width: 100, height: 60};
        var expected = [[10, 20], [60, 20], [110, 20], [110, 50], [110, 80], [60, 80], [10, 80], [10, 50]];
        for (h in 0...8) {
            check("handle " + h + " found", EditGeometry.handleAt(r, expected[h][0] + 2, expected[h][1] - 2, 3) == h);
        }
        check("body is no handle", EditGeometry.handleAt(r, 40, 40, 3) == EditGeometry.NONE);
        var tiny:EditRect = {x: 0, y: 0, width: 4, height: 4};
        check("tiny element: corner wins", EditGeometry.handleAt(tiny, 3, 1, 4) == EditGeometry.TOP_RIGHT);
    }

    static function resizingFromEveryHandle() {
        var s:EditRect = {x: 100, y: 100, width: 80, height: 40};
        // Each handle dragged by (+10, +10): the edges it pulls follow, the opposite ones stay.
        var grown:Array<EditRect> = [
            {x: 110, y: 110, width: 70, height: 30}, {x: 100, y: 110, width: 80, height: 30},
            {x: 100, y: 110, width: 90, height: 30}, {x: 100, y: 100, width: 90, height: 40},
            {x: 100, y: 100, width: 90, height: 50}, {x: 100, y: 100, width: 80, height: 50},
            {x: 110, y: 100, width: 70, height: 50}, {x: 110, y: 100, width: 70, height: 40}
        ];
        for (h in 0...8)
            same("handle " + h + " by (10, 10)", grown[h], EditGeometry.resize(s, h, 10, 10, false));
        // Dragged far past the opposite edge: stops at the minimum size, the opposite edge stays.
        same("top left past the bottom right", {x: 176, y: 136, width: 4, height: 4}, EditGeometry.resize(s, EditGeometry.TOP_LEFT, 500, 500, false));
        same("right past the left", {x: 100, y: 100, width: 4, height: 40}, EditGeometry.resize(s, EditGeometry.RIGHT, -500, 0, false));
        same("top past the bottom", {x: 100, y: 136, width: 80, height: 4}, EditGeometry.resize(s, EditGeometry.TOP, 0, 500, false));
        // Keeping proportions: corners follow the larger pull, sides grow about the centre.
        same("corner keeps the ratio", {x: 100, y: 100, width: 160, height: 80}, EditGeometry.resize(s, EditGeometry.BOTTOM_RIGHT, 80, 5, true));
        same("top left corner keeps the ratio", {x: 60, y: 80, width: 120, height: 60}, EditGeometry.resize(s, EditGeometry.TOP_LEFT, -40, 0, true));
        same("side keeps the ratio about the centre", {x: 100, y: 90, width: 120, height: 60}, EditGeometry.resize(s, EditGeometry.RIGHT, 40, 0, true));
        same("ratio at the minimum: the short side stops at it", {x: 100, y: 100, width: 8, height: 4}, EditGeometry.resize(s, EditGeometry.BOTTOM_RIGHT, -500, -500, true));
    }

    static function snapping() {
        var other:EditRect = {x: 200, y: 20, width: 60, height: 30};
        var lines = EditGeometry.snapLines(300, 250, [other]);
        // The element's centre lands on the banner's centre line.
        var moved = EditGeometry.snapMove({x: 108.4, y: 77.2, width: 80, height: 40}, lines, 4);
        same("centred horizontally", {x: 110, y: 77, width: 80, height: 40}, moved.rect);
        check("vertical guide on the centre line", moved.guidesX.length == 1 && moved.guidesX[0] == 150 && moved.guidesY.length == 0);
        // Right edge to the banner's edge, top to the other element's bottom.
        moved = EditGeometry.snapMove({x: 213.5, y: 52, width: 84, height: 40}, lines, 4);
        same("right and top snapped", {x: 216, y: 50, width: 84, height: 40}, moved.rect);
        check("both guides", moved.guidesX[0] == 300 && moved.guidesY[0] == 50);
        // Out of reach: rounded to whole pixels, no guides.
        moved = EditGeometry.snapMove({x: 30.6, y: 100.2, width: 20, height: 20}, lines, 4);
        same("no snap", {x: 31, y: 100, width: 20, height: 20}, moved.rect);
        check("no guides", moved.guidesX.length == 0 && moved.guidesY.length == 0);

        // Resizing snaps only the dragged edges.
        var start:EditRect = {x: 100, y: 100, width: 80, height: 40};
        var r = EditGeometry.resize(start, EditGeometry.RIGHT, 17, 0, false);
        var snapped = EditGeometry.snapResize(start, EditGeometry.RIGHT, r, lines, 4, false);
        same("right edge to the other's left", {x: 100, y: 100, width: 100, height: 40}, snapped.rect);
        check("resize guide", snapped.guidesX[0] == 200);
        r = EditGeometry.resize(start, EditGeometry.TOP_LEFT, -98, 0, true);
        snapped = EditGeometry.snapResize(start, EditGeometry.TOP_LEFT, r, lines, 4, true);
        same("proportional corner snapped to the banner's left edge", {x: 0, y: 50, width: 180, height: 90}, snapped.rect);
        r = EditGeometry.resize(start, EditGeometry.LEFT, 77, 0, false);
        snapped = EditGeometry.snapResize(start, EditGeometry.LEFT, r, {xs: [178.0], ys: []}, 4, false);
        same("a snap never goes below the minimum size", {x: 176, y: 100, width: 4, height: 40}, snapped.rect);

        // A crowded banner, its lines shared and repeated: each move snaps to the line a look at
        // every line finds (the nearest within reach, the first listed of equals, the first
        // candidate edge of equals), and a drag that moves on keeps finding it.
        var seed = 11;
        var next = function(n:Int) {
            seed = (seed * 75 + 74) % 65537;
            return seed % n;
        };
        var crowd:Array<EditRect> = [for (i in 0...500) {x: next(600) / 2, y: next(500) / 2, width: 2 + next(40), height: 2 + next(30)}];
        var many = EditGeometry.snapLines(300, 250, crowd);
        var wrong = 0, snaps = 0;
        for (k in 0...400) {
            var r:EditRect = {x: next(6000) / 20 - 10, y: next(5000) / 20 - 10, width: 1 + next(80) / 4, height: 1 + next(60) / 4};
            var reach = next(4) == 0 ? 0.5 : 1 + next(8) / 2;
            var got = EditGeometry.snapMove(r, many, reach);
            var x = lookAtEvery([r.x, r.x + r.width / 2, r.x + r.width], many.xs, reach);
            var y = lookAtEvery([r.y, r.y + r.height / 2, r.y + r.height], many.ys, reach);
            var want:EditRect = {x: x == null ? Math.round(r.x) : r.x + x.shift, y: y == null ? Math.round(r.y) : r.y + y.shift, width: r.width, height: r.height};
            if (x != null)
                snaps++;
            if (got.rect.x != want.x || got.rect.y != want.y || got.guidesX.join(",") != (x == null ? "" : "" + x.line)
                || got.guidesY.join(",") != (y == null ? "" : "" + y.line))
                wrong++;
        }
        check("a crowded banner's moves snap as a look at every line does", wrong == 0 && snaps > 100, wrong + " wrong, " + snaps + " snapped");
    }

    static function lookAtEvery(candidates:Array<Float>, lines:Array<Float>, reach:Float):Null<{line:Float, shift:Float}> {
        var best:Null<{line:Float, shift:Float}> = null;
        for (c in candidates)
            for (l in lines)
                if (Math.abs(l - c) <= reach && (best == null || Math.abs(l - c) < Math.abs(best.shift)))
                    best = {line: l, shift: l - c};
        return best;
    }

    static function nudging() {
        var r:EditRect = {x: 10.5, y: 20, width: 30, height: 40};
        same("one pixel right", {x: 11.5, y: 20, width: 30, height: 40}, EditGeometry.nudge(r, 1, 0));
        same("ten pixels up, off the banner", {x: 10.5, y: -10, width: 30, height: 40}, EditGeometry.nudge(EditGeometry.nudge(r, 0, -10), 0, -20));
    }
}
