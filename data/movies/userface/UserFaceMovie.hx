// The template of a face movie for a face of the user's: one embedded face, linked to the class
// UserFace that the component movie registers (BannerFonts.loadUserFaces). Publishing copies this
// movie with the face's tag replaced by one written from the user's file for the characters the
// banner shows (publish/FontMovie), so the face here is only a placeholder of one glyph.

@:keep @:font("LiberationSans-Regular.ttf", "A") class UserFace extends flash.text.Font {}

class UserFaceMovie {
	static function main() {}
}
