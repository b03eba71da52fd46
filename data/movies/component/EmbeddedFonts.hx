// The shipped font faces embedded in the component movie (the subset TrueType files of the
// program's fonts folder, found through the class path): Liberation Sans and Serif, DejaVu Sans,
// each regular, bold, italic and bold italic, for Latin, Greek and Cyrillic text. The build
// completes their tags afterwards (family name, style flags, glyph bounds: data/cmake/FixFontTags.py).
// Only the component movie compiles this module; other movies borrow its faces (BannerFonts).
// Keep the character ranges in step with the subset in data/CMakeLists.txt.

@:font("LiberationSans-Regular.ttf", " -~\u00A0-\u017F\u0370-\u03FF\u0400-\u04FF\u2000-\u206F\u20AC\u2122") class LiberationSansRegular extends flash.text.Font {}
@:font("LiberationSans-Bold.ttf", " -~\u00A0-\u017F\u0370-\u03FF\u0400-\u04FF\u2000-\u206F\u20AC\u2122") class LiberationSansBold extends flash.text.Font {}
@:font("LiberationSans-Italic.ttf", " -~\u00A0-\u017F\u0370-\u03FF\u0400-\u04FF\u2000-\u206F\u20AC\u2122") class LiberationSansItalic extends flash.text.Font {}
@:font("LiberationSans-BoldItalic.ttf", " -~\u00A0-\u017F\u0370-\u03FF\u0400-\u04FF\u2000-\u206F\u20AC\u2122") class LiberationSansBoldItalic extends flash.text.Font {}
@:font("LiberationSerif-Regular.ttf", " -~\u00A0-\u017F\u0370-\u03FF\u0400-\u04FF\u2000-\u206F\u20AC\u2122") class LiberationSerifRegular extends flash.text.Font {}
@:font("LiberationSerif-Bold.ttf", " -~\u00A0-\u017F\u0370-\u03FF\u0400-\u04FF\u2000-\u206F\u20AC\u2122") class LiberationSerifBold extends flash.text.Font {}
@:font("LiberationSerif-Italic.ttf", " -~\u00A0-\u017F\u0370-\u03FF\u0400-\u04FF\u2000-\u206F\u20AC\u2122") class LiberationSerifItalic extends flash.text.Font {}
@:font("LiberationSerif-BoldItalic.ttf", " -~\u00A0-\u017F\u0370-\u03FF\u0400-\u04FF\u2000-\u206F\u20AC\u2122") class LiberationSerifBoldItalic extends flash.text.Font {}
@:font("DejaVuSans.ttf", " -~\u00A0-\u017F\u0370-\u03FF\u0400-\u04FF\u2000-\u206F\u20AC\u2122") class DejaVuSans extends flash.text.Font {}
@:font("DejaVuSans-Bold.ttf", " -~\u00A0-\u017F\u0370-\u03FF\u0400-\u04FF\u2000-\u206F\u20AC\u2122") class DejaVuSansBold extends flash.text.Font {}
@:font("DejaVuSans-Oblique.ttf", " -~\u00A0-\u017F\u0370-\u03FF\u0400-\u04FF\u2000-\u206F\u20AC\u2122") class DejaVuSansOblique extends flash.text.Font {}
@:font("DejaVuSans-BoldOblique.ttf", " -~\u00A0-\u017F\u0370-\u03FF\u0400-\u04FF\u2000-\u206F\u20AC\u2122") class DejaVuSansBoldOblique extends flash.text.Font {}

class EmbeddedFonts {
	// The face classes, by the names BannerFonts looks them up with.
	public static var FACES:Array<Class<flash.text.Font>> = [LiberationSansRegular, LiberationSansBold, LiberationSansItalic, LiberationSansBoldItalic, LiberationSerifRegular, LiberationSerifBold, LiberationSerifItalic, LiberationSerifBoldItalic, DejaVuSans, DejaVuSansBold, DejaVuSansOblique, DejaVuSansBoldOblique];

	public static function register() {
		for (face in FACES)
			flash.text.Font.registerFont(face);
	}
}
