// One shipped face alone in a small movie, chosen when compiling: -D face_<class> (the classes of
// ShippedFaces) compiles the movie of that face. The subset TrueType files of the program's fonts
// folder are found through the class path; the build completes their tags afterwards (family
// name, style flags, glyph bounds: data/cmake/FixFontTags.py). The component movie and the editor
// load these movies and register the face found in each (BannerFonts).
// Keep the character ranges in step with the subset in data/CMakeLists.txt.

#if face_LiberationSansRegular
@:keep @:font("LiberationSans-Regular.ttf", " -~\u00A0-\u017F\u0370-\u03FF\u0400-\u04FF\u2000-\u206F\u20AC\u2122") class LiberationSansRegular extends flash.text.Font {}
#end
#if face_LiberationSansBold
@:keep @:font("LiberationSans-Bold.ttf", " -~\u00A0-\u017F\u0370-\u03FF\u0400-\u04FF\u2000-\u206F\u20AC\u2122") class LiberationSansBold extends flash.text.Font {}
#end
#if face_LiberationSansItalic
@:keep @:font("LiberationSans-Italic.ttf", " -~\u00A0-\u017F\u0370-\u03FF\u0400-\u04FF\u2000-\u206F\u20AC\u2122") class LiberationSansItalic extends flash.text.Font {}
#end
#if face_LiberationSansBoldItalic
@:keep @:font("LiberationSans-BoldItalic.ttf", " -~\u00A0-\u017F\u0370-\u03FF\u0400-\u04FF\u2000-\u206F\u20AC\u2122") class LiberationSansBoldItalic extends flash.text.Font {}
#end
#if face_LiberationSerifRegular
@:keep @:font("LiberationSerif-Regular.ttf", " -~\u00A0-\u017F\u0370-\u03FF\u0400-\u04FF\u2000-\u206F\u20AC\u2122") class LiberationSerifRegular extends flash.text.Font {}
#end
#if face_LiberationSerifBold
@:keep @:font("LiberationSerif-Bold.ttf", " -~\u00A0-\u017F\u0370-\u03FF\u0400-\u04FF\u2000-\u206F\u20AC\u2122") class LiberationSerifBold extends flash.text.Font {}
#end
#if face_LiberationSerifItalic
@:keep @:font("LiberationSerif-Italic.ttf", " -~\u00A0-\u017F\u0370-\u03FF\u0400-\u04FF\u2000-\u206F\u20AC\u2122") class LiberationSerifItalic extends flash.text.Font {}
#end
#if face_LiberationSerifBoldItalic
@:keep @:font("LiberationSerif-BoldItalic.ttf", " -~\u00A0-\u017F\u0370-\u03FF\u0400-\u04FF\u2000-\u206F\u20AC\u2122") class LiberationSerifBoldItalic extends flash.text.Font {}
#end
#if face_DejaVuSans
@:keep @:font("DejaVuSans.ttf", " -~\u00A0-\u017F\u0370-\u03FF\u0400-\u04FF\u2000-\u206F\u20AC\u2122") class DejaVuSans extends flash.text.Font {}
#end
#if face_DejaVuSansBold
@:keep @:font("DejaVuSans-Bold.ttf", " -~\u00A0-\u017F\u0370-\u03FF\u0400-\u04FF\u2000-\u206F\u20AC\u2122") class DejaVuSansBold extends flash.text.Font {}
#end
#if face_DejaVuSansOblique
@:keep @:font("DejaVuSans-Oblique.ttf", " -~\u00A0-\u017F\u0370-\u03FF\u0400-\u04FF\u2000-\u206F\u20AC\u2122") class DejaVuSansOblique extends flash.text.Font {}
#end
#if face_DejaVuSansBoldOblique
@:keep @:font("DejaVuSans-BoldOblique.ttf", " -~\u00A0-\u017F\u0370-\u03FF\u0400-\u04FF\u2000-\u206F\u20AC\u2122") class DejaVuSansBoldOblique extends flash.text.Font {}
#end

class FaceMovie {
	static function main() {}
}
