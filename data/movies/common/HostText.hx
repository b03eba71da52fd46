// Texts the Flash player cannot draw (ScriptFaces.needsHost: scripts its embedded faces lack and
// that need shaping it does not do) are drawn by the host instead: its painter sets the text alone,
// as it sets it for the backup image, into a transparent picture that takes the text's place in
// the text's layer, so the layer's timeline (moving, fading, zooming) moves the picture.
//
// The picture covers the element's box and a margin around it (lines reaching past the box, a
// shadow), at `scale` picture pixels per banner pixel. A published size carries one picture per
// such text, named by the text's layer (fileName), which the component movie shows; the editor
// asks its host for the same picture (displayList, as JSON).

import BannerDocument;

typedef HostTextArea = {
	margin:Int, // how far the picture reaches past the box's left and top edges
	width:Int, // the picture's size in banner pixels
	height:Int
}

class HostText {
	// Whether the Flash player shows e as the host's picture of it.
	public static function needed(e:BannerElement):Bool {
		return e.kind == Text && ScriptFaces.needsHost(e.label);
	}

	// The picture of the text in layer `layer` of a published size, beside its project.
	public static function fileName(layer:Int):String {
		return "res/text-" + layer + ".png";
	}

	// The part of the layer the picture covers, for e's box width x height set as lines at
	// fontSize: the box grown by a margin on every side, and downwards to hold every line.
	public static function area(e:BannerElement, width:Float, height:Float, fontSize:Int, lines:Array<String>):HostTextArea {
		var shadow = e.shadowColor == null ? 0.0 : Math.max(Math.abs(e.shadowX), Math.abs(e.shadowY)) + 2 * e.shadowBlur;
		var margin = Math.ceil(fontSize / 2 + shadow);
		var tall = Math.max(height, lines.length * fontSize * e.lineHeight);
		return {margin: margin, width: Math.ceil(width) + 2 * margin, height: Math.ceil(tall) + 2 * margin};
	}

	// The picture as a display list the host paints on a transparent ground.
	public static function displayList(e:BannerElement, width:Float, height:Float, fontSize:Int, lines:Array<String>, scale:Float):Dynamic {
		var a = area(e, width, height, fontSize, lines);
		var op = textOp(e, width, height, fontSize);
		op.lines = lines;
		op.x = a.margin;
		op.y = a.margin;
		return {
			width: Math.ceil(a.width * scale),
			height: Math.ceil(a.height * scale),
			background: 0xFFFFFF,
			transparent: true,
			ops: [{op: "group", opacity: 1, transform: [scale, 0, 0, scale, 0, 0], ops: [op]}]
		};
	}

	// e's text as a display list's text operation in a box width x height at fontSize, from
	// the box's top, wrapping (lines, when the model gives them, are set as they are).
	public static function textOp(e:BannerElement, width:Float, height:Float, fontSize:Int):Dynamic {
		return {
			op: "text",
			text: e.label,
			x: 0,
			y: 0,
			w: width,
			h: height,
			inset: 0,
			anchor: 0,
			face: ScriptFaces.families(e.font).join(","),
			size: fontSize,
			bold: e.bold,
			italic: e.italic,
			color: e.color,
			align: e.align,
			valign: "top",
			wrap: true,
			lineHeight: fontSize * e.lineHeight,
			shadow: e.shadowColor == null ? null : {
				color: e.shadowColor,
				x: e.shadowX,
				y: e.shadowY,
				blur: e.shadowBlur
			}
		};
	}
}
