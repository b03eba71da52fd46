// Every text the editor shows, in English, German and French. The fields hold the texts of the
// language in use; setLanguage fills them from the table below, so a switch shows at the next build
// of the screen.
class Strings {
    /** The languages, by the three-letter codes the host uses; the first is the fallback. */
    public static var LANGUAGES:Array<String> = ["eng", "deu", "fra"];
    public static var LANGUAGE_NAMES:Array<String> = ["EN", "DE", "FR"];
    public static var language(default, null):String = "eng";

    public static var APP_TITLE = "Pennoria Banner Editor";
    public static var NEW_PROJECT_NAME = "new project";
    public static var MODIFIED_MARK = " *";
    public static var TITLE = "%s - %s";

    // Toolbar and commands
    public static var NEW = "New";
    public static var OPEN = "Open...";
    public static var RECENT = "Recent...";
    public static var SAVE = "Save";
    public static var SAVE_AS = "Save As...";
    public static var PUBLISH = "Publish...";
    public static var HELP = "Help";
    public static var UNDO = "Undo";
    public static var REDO = "Redo";
    public static var ADD_TEXT = "Text";
    public static var ADD_BUTTON = "Button";
    public static var ADD_IMAGE = "Image...";
    public static var ADD_RECT = "Rectangle";
    public static var ADD_ELLIPSE = "Ellipse";
    public static var DELETE = "Delete";
    public static var DUPLICATE = "Duplicate";
    public static var FORWARD = "Forward";
    public static var BACKWARD = "Back";
    public static var ADD_SIZE = "Add size...";
    public static var REMOVE_SIZE = "Remove size";
    public static var ACTUAL_SIZE = "Actual size";
    public static var TIP_SHORTCUT = "%s (%s)";

    // Step names shown with Undo and Redo
    public static var STEP_ADD = "Add %s";
    public static var STEP_DELETE = "Delete %s";
    public static var STEP_DUPLICATE = "Duplicate %s";
    public static var STEP_ORDER = "Change the order";
    public static var STEP_PROPERTY = "Change %s";
    public static var STEP_SIZE = "Sizes";

    // Left column
    public static var SIZES = "Sizes";
    public static var LAYERS = "Layers";
    public static var NO_ELEMENTS = "No elements yet: add a text, a button, an image or a shape.";
    public static var KIND_TEXT = "Text";
    public static var KIND_BUTTON = "Button";
    public static var KIND_IMAGE = "Image";
    public static var KIND_SHAPE = "Shape";
    public static var NEW_TEXT = "Your text";
    public static var NEW_BUTTON = "Click here";

    // Sizes dialog
    public static var SIZE_DIALOG_TITLE = "Add a size";
    public static var SIZE_DIALOG_INTRO = "Choose a standard size or enter your own. The design is laid out again for it.";
    public static var CUSTOM_SIZE = "Custom size";
    public static var SIZE_EXISTS = "The project already has the size %s.";
    public static var ADD = "Add";

    // Properties panel
    public static var TAB_BANNER = "Banner";
    public static var TAB_ELEMENT = "Element";
    public static var TAB_ANIMATION = "Animation";
    public static var X = "X";
    public static var Y = "Y";
    public static var WIDTH = "Width";
    public static var HEIGHT = "Height";
    public static var OPACITY = "Opacity";
    public static var PERCENT = "%";
    public static var PIXELS = "px";
    public static var CONTENT = "Text";
    public static var LABEL = "Label";
    public static var FONT = "Font";
    public static var TEXT_SIZE = "Size";
    public static var BOLD = "Bold";
    public static var ITALIC = "Italic";
    public static var COLOUR = "Colour";
    public static var TEXT_COLOUR = "Text colour";
    public static var FILL = "Fill";
    public static var NO_FILL = "None";
    public static var STROKE = "Outline";
    public static var STROKE_WIDTH = "Outline width";
    public static var RADIUS = "Corners";
    public static var SHAPE_KIND = "Shape";
    public static var ALIGN = "Align";
    public static var ALIGN_LEFT = "Left";
    public static var ALIGN_CENTER = "Centre";
    public static var ALIGN_RIGHT = "Right";
    public static var LINE_HEIGHT = "Line height";
    public static var SHADOW = "Shadow";
    public static var LINK = "Link";
    public static var BUTTON_LINK_HINT = "Empty: a click opens the banner's link.";
    public static var IMAGE_FILE = "File";
    public static var CHOOSE_IMAGE = "Choose image...";
    public static var REMOVE_IMAGE = "Remove";
    public static var NO_IMAGE = "No image chosen yet.";
    public static var FIT = "Fit";
    public static var FIT_COVER = "Fill";
    public static var FIT_CONTAIN = "Fit inside";
    public static var FIT_STRETCH = "Stretch";
    // Layout at other sizes
    public static var LAYOUT = "Layout at other sizes";
    public static var TAB_LAYOUT = "Sizes";
    public static var AUTO_FIT = "Fit the text";
    public static var ANCHOR_X = "Across (anchor)";
    public static var ANCHOR_Y = "Down (anchor)";
    public static var ANCHOR_LEFT = "Left";
    public static var ANCHOR_CENTER = "Centre";
    public static var ANCHOR_RIGHT = "Right";
    public static var ANCHOR_STRETCH = "Stretch";
    public static var ANCHOR_TOP = "Top";
    public static var ANCHOR_MIDDLE = "Middle";
    public static var ANCHOR_BOTTOM = "Bottom";
    public static var SCALING = "Size";
    public static var SCALING_KEEP = "Fixed";
    public static var SCALING_SHORTER = "Scales";
    public static var SCALING_FILL = "Fills";
    public static var ROLE = "Role";
    public static var ROLE_LOGO = "Logo";
    public static var ROLE_HEADLINE = "Headline";
    public static var ROLE_BODY = "Body";
    public static var ROLE_CTA = "Action";
    public static var ROLE_PRODUCT = "Picture";
    public static var ROLE_DECORATION = "Decoration";
    public static var ROLE_BACKGROUND = "Background";
    public static var DOES_NOT_FIT = "The text does not fit at %s.";
    public static var RELAYOUT = "Auto layout";
    public static var COPY_LAYOUT = "Copy layout";
    public static var STATUS_COPIED = "Layout copied to %s.";
    public static var STATUS_NO_SIMILAR = "No other size has a similar shape.";
    public static var STATUS_LEFT_OUT = "Left out at %s: %s";
    public static var ALL_SIZES = "All sizes";
    public static var BACKGROUND = "Background colour";
    public static var BACKGROUND_IMAGE = "Background image";
    public static var BANNER_LINK = "Link (web address opened on click)";
    public static var LINK_HINT = "The page opens in a new window when the banner is clicked.";
    public static var LENGTH = "Length";
    public static var SECONDS = "s";
    public static var LOOPS = "Plays";
    public static var LENGTH_HINT = "Length \u00d7 plays is at most 30 seconds.";
    public static var ENTRANCE = "Entrance";
    public static var EXIT = "Exit";
    public static var EFFECT_NONE = "None";
    public static var EFFECT_FADE = "Fade";
    public static var EFFECT_SLIDE = "Slide";
    public static var EFFECT_ZOOM = "Zoom";
    public static var SIDE = "Side";
    public static var SIDE_LEFT = "Left";
    public static var SIDE_RIGHT = "Right";
    public static var SIDE_TOP = "Top";
    public static var SIDE_BOTTOM = "Bottom";
    public static var DELAY = "Delay";
    public static var DURATION = "Duration";
    public static var EASING = "Easing";
    public static var EASE_LINEAR = "Even";
    public static var EASE_IN = "In";
    public static var EASE_OUT = "Out";
    public static var EASE_IN_OUT = "In-out";
    public static var MILLISECONDS = "ms";
    public static var LINK_REFUSED = "Only links starting with http:, https: or mailto: are used; this one is not.";
    public static var BAD_COLOUR = "Colours are written as # and six hexadecimal digits, for example #1E3A5F.";
    public static var NUMBER_LIMITS = "%s must be between %s and %s.";
    public static var SIZE_LIMITS = "Width and height must be between %s and %s pixels.";
    public static var PICTURE_TOO_LARGE = "The picture %s is %s pixels: pictures of at most 16 megapixels (4096 \u00d7 4096) are shown. Make it smaller with an image editor.";
    public static var PICTURE_ADDRESS = "The picture %s is a web address: pictures come from files only, so it is shown as missing.";

    // Publish panel
    public static var PUBLISH_TITLE = "Publish the banner";
    public static var PUBLISH_INTRO = "Everything is written into one folder, named after the movie file, inside the output folder.";
    public static var OUTPUT_FOLDER = "Output folder";
    public static var BROWSE = "Browse...";
    public static var MOVIE_NAME = "Movie file";
    public static var PAGE_NAME = "Web page";
    public static var XML_NAME = "Banner data file";
    public static var WHAT_TO_WRITE = "What is written";
    public static var HTML5_AD = "HTML5 ad and backup image";
    public static var HTML5_AD_NOTE = "What ad networks take: the html5 folder and its zip to upload, and a backup picture (PNG).";
    public static var MOVIE_AND_PAGES = "Web pages with the player";
    public static var PAGES_NOTE = "For your own site: pages that play the banner with the player beside them (ruffle folder).";
    public static var SWF_MOVIE = "SWF movie";
    public static var MOVIE_NOTE = "The banner movie the pages play, with its component (res folder); off: only the HTML5 ad and the pictures.";
    public static var OPTIONS = "Options";
    public static var PAGE_KIND = "Pages show the movie";
    public static var PLAYER = "Player";
    public static var PAGES_EMBED = "Embedded directly";
    public static var PAGES_SCRIPT = "With a script (swfobject.js)";
    public static var PLAYER_BUNDLED = "Ruffle beside the pages";
    public static var PLAYER_NONE = "No player";
    public static var PREVIEW_IN_BROWSER = "Preview in browser";
    public static var PREVIEWING = "Opening the preview in the browser...";
    public static var PREVIEW_OK = "The preview was handed to the browser.";
    public static var DO_PUBLISH = "Publish";
    public static var OPEN_FOLDER = "Open output folder";
    public static var CLOSE = "Close";
    public static var KEY_CTRL = "Ctrl";
    public static var KEY_SHIFT = "Shift";
    public static var KEY_DELETE = "Delete";
    public static var KEY_UP = "Up";
    public static var KEY_DOWN = "Down";
    public static var KEY_LEFT = "Left";
    public static var KEY_RIGHT = "Right";
    public static var KEY_NUM = "Num";
    public static var PUBLISHING = "Publishing...";
    public static var PUBLISH_OK = "Done. The banner was published to %s";
    public static var PUBLISH_USER_CANCEL = "Publishing was cancelled: the existing folder was left as it was.";
    public static var PUBLISH_CREATE_DIR_FAILED = "The output folder could not be created. Choose another folder or other file names.";
    public static var PUBLISH_NO_CONTENT = "The banner could not be handed over for publishing. Please try again.";
    public static var PUBLISH_UNKNOWN = "Publishing did not finish (answer: %s).";
    public static var PUBLISH_NEED_FOLDER = "Choose an output folder first.";
    public static var PUBLISH_NOT_FITTING = "Published, but these texts do not fit their boxes: %s.";
    public static var AT_SIZE = "%s at %s";
    public static var PUBLISH_BAD_NAME = "File names must not contain / or \\ or start with a dot: %s";

    // Feed panel
    public static var FEED = "Feed...";
    public static var FEED_OPEN = "Product feed...";
    public static var FEED_TITLE = "Product feed: one variant of the banner per row";
    public static var FEED_LOAD = "Load CSV file...";
    public static var FEED_NONE = "No feed loaded. Each column named after an element's id sets it in that row's variant.";
    public static var FEED_FILE = "%s: %s rows";
    public static var FEED_FILTER = "Product feeds (*.csv)|*.csv|All files (*.*)|*.*||";
    public static var FEED_UNREADABLE = "The feed %s could not be read.";
    public static var FEED_ROWS_SHOWN = "Rows %s to %s of %s";
    public static var FEED_ROW_REFUSED = "Row %s cannot be published: %s";
    public static var FEED_NOT_FITTING = "%s does not fit its box at %s";
    public static var FEED_LEFT_OUT = "%s is left out at %s";
    public static var FEED_UNKNOWN = "Columns that name nothing in the design (ignored): %s";
    public static var FEED_MORE = "...and %s more";
    public static var FEED_PUBLISH = "Publish all rows";
    public static var FEED_CANCEL = "Stop";
    public static var FEED_PUBLISHING = "Publishing: %s of %s rows done...";
    public static var FEED_DONE = "Done: %s of %s variants published (%s failed) in %s";
    public static var FEED_CANCELLED = "Stopped: %s of %s variants published (%s failed), each one whole, in %s";
    public static var FEED_FAILED = "Publishing the feed did not finish.";
    public static var FEED_NOT_STARTED = "The feed could not be published.";

    // The export panel
    public static var EXPORT = "Export...";
    public static var EXPORT_TITLE = "Export: animated GIF, video or still images";
    public static var EXPORT_FORMAT = "Format";
    public static var EXPORT_NOTE_GIF = "Animated, within the image-ad rules: at most 5 frames a second, 30 s and the size limit.";
    public static var EXPORT_NOTE_VIDEO = "H.264 (MP4) or VP9 (WebM) video of the banner's whole play, at most 30 s.";
    public static var EXPORT_NOTE_STILL = "One picture per size at the moment given.";
    public static var EXPORT_SIZES = "Sizes";
    public static var EXPORT_ALL_SIZES = "All sizes";
    public static var EXPORT_AT = "Moment (s)";
    public static var EXPORT_AT_HINT = "Empty: the final frame";
    public static var EXPORT_FPS = "Frames a second";
    public static var EXPORT_MAX_KB = "GIF size limit (KB)";
    public static var EXPORT_FOLDER = "Folder";
    public static var EXPORT_GO = "Export";
    public static var EXPORT_STOP = "Stop";
    public static var EXPORTING = "Exporting... %s %";
    public static var EXPORT_DONE = "Done: %s files written in %s";
    public static var EXPORT_CANCELLED = "Stopped: %s files written, each one whole, in %s";
    public static var EXPORT_FAILED = "Not every size could be written: %s files written in %s";
    public static var EXPORT_NEED_FOLDER = "Choose the folder the files go to.";
    public static var EXPORT_NOT_STARTED = "The export could not be started.";
    public static var EXPORT_GIF = "GIF";
    public static var EXPORT_MP4 = "MP4";
    public static var EXPORT_WEBM = "WebM";
    public static var EXPORT_PNG = "PNG";
    public static var EXPORT_JPEG = "JPEG";

    // Questions and messages
    public static var ASK_SAVE_TITLE = "Unsaved changes";
    public static var ASK_SAVE = "The banner \"%s\" has changes that are not saved.\nDo you want to save them first?";
    public static var YES_SAVE = "Save";
    public static var NO_DISCARD = "Don't save";
    public static var CANCEL = "Cancel";
    public static var OK = "OK";
    public static var ERROR_TITLE = "Pennoria";
    public static var SAVE_FAILED = "The project could not be saved to this place.";
    public static var OPEN_FAILED = "The project file could not be read:\n%s\n\nThe banner in the editor stays as it was.";
    public static var NOT_A_PROJECT = "This file is not a banner project:\n%s\n\nThe banner in the editor stays as it was.";
    public static var READ_ONLY = "This project holds more than the editor can read: %s.\n\n%s is open read-only: it is shown as far as it was read, and it cannot be changed, saved or published from here, so the file keeps all of it.";
    public static var READ_ONLY_NOT_SAVED = "This project is open read-only (%s): it is not saved, so that the file keeps all of it.";
    public static var LIMIT_ELEMENTS = "%s elements (at most %s)";
    public static var LIMIT_SIZES = "%s sizes (at most %s)";
    public static var LIMIT_TEXT = "a text of %s characters (at most %s)";
    public static var READ_ONLY_MARK = " (read-only)";

    public static var RECOVER_TITLE = "Recover unsaved work";
    public static var RECOVER_QUESTION = "The editor ended last time without closing, and work that was not saved was kept.\nRecover it? It opens as a new project that is not saved yet.";
    public static var RECOVER = "Recover";
    public static var DISCARD = "Discard";
    public static var RECOVER_FAILED = "The kept work could not be read back.";

    public static var RECENT_TITLE = "Recent projects";
    public static var RECENT_NONE = "No projects yet: those you open or save are listed here.";
    public static var RECENT_MISSING = "%s (missing)";
    public static var RECENT_REMOVE = "Remove";
    public static var RECENT_GONE = "The project %s is no longer there, so it was not opened.";

    // Status line
    public static var READY = "Ready. Add a text, a button, an image or a shape to start your banner.";
    public static var STATUS_NEW = "New banner started.";
    public static var STATUS_OPENING = "Opening %s ...";
    public static var STATUS_OPENED = "Opened %s";
    public static var STATUS_READ_ONLY = "Opened %s read-only: %s";
    public static var STATUS_CONVERTED = "Opened %s (an older project: it is written in the new format when saved)";
    public static var STATUS_SAVED = "Saved to %s";
    public static var STATUS_SAVE_CANCELLED = "Not saved.";
    public static var STATUS_NO_HOST = "The editor runs without its host program: commands are not available.";
    public static var STATUS_UNDONE = "Undone: %s";
    public static var STATUS_REDONE = "Redone: %s";
    public static var STATUS_LANGUAGE = "The editor speaks English now.";
    public static var STATUS_RECOVERED = "The kept work is back. Save it to keep it in a project file.";
    public static var STATUS_DISCARDED = "The kept work was discarded.";

    // Canvas and timeline
    public static var CANVAS_SIZE = "%s x %s px   Shown at %s%";
    public static var PLAY = "Play";
    public static var PAUSE = "Pause";
    public static var TIME_SECONDS = "%s s";
    public static var STEP_MOVE = "Move";
    public static var STEP_RESIZE = "Resize";
    public static var STEP_NUDGE = "Nudge";
    public static var STEP_TIMING = "Entrance delay";

    // Selection, arranging, clipboard, zoom and layers
    public static var SELECT_ALL = "Select all";
    public static var COPY = "Copy";
    public static var CUT = "Cut";
    public static var PASTE = "Paste";
    public static var ALIGN_LEFTS = "Align left";
    public static var ALIGN_CENTRES = "Align centres";
    public static var ALIGN_RIGHTS = "Align right";
    public static var ALIGN_TOPS = "Align top";
    public static var ALIGN_MIDDLES = "Align middles";
    public static var ALIGN_BOTTOMS = "Align bottom";
    public static var DISTRIBUTE_H = "Distribute horizontally";
    public static var DISTRIBUTE_V = "Distribute vertically";
    public static var ALIGN_TO_BANNER = "Align to the banner";
    public static var GROUP = "Group";
    public static var COLOUR_DIALOG_TITLE = "Colour: %s";
    public static var COLOUR_NEW = "New";
    public static var COLOUR_CURRENT = "Current";
    public static var COLOUR_HEX = "Hex";
    public static var COLOUR_EYEDROPPER = "Pick from the banner";
    public static var ADD_FONT = "Add a font file\u2026";
    public static var ADD_FONT_TITLE = "Font added";
    public static var FONT_LICENCE = "The face %s is now part of this project: its file was copied to the fonts folder beside the project, and what you publish carries it. Whether the face's licence allows embedding it in banners is your responsibility.";
    public static var FONT_NEEDS_SAVING = "Save the project first: the font file is copied into the fonts folder beside it.";
    public static var FONT_NOT_ADDED = "The font could not be added: %s.";
    public static var FONT_FILTER = "Fonts (*.ttf;*.otf)|*.ttf;*.otf;*.TTF;*.OTF|All files (*.*)|*.*||";
    public static var COLOURS_IN_BANNER = "Colours in this banner";
    public static var COLOURS_NONE_USED = "None yet.";
    public static var UNGROUP = "Ungroup";
    public static var STEP_GROUP = "Group";
    public static var STEP_UNGROUP = "Ungroup";
    public static var ZOOM_IN = "Zoom in";
    public static var ZOOM_OUT = "Zoom out";
    public static var ZOOM_FIT = "Fit";
    public static var GRID = "Grid";
    public static var SHORTCUTS = "Keyboard shortcuts";
    public static var STEP_DELETE_MANY = "Delete %s elements";
    public static var STEP_DUPLICATE_MANY = "Duplicate %s elements";
    public static var STEP_PASTE_ONE = "Paste %s";
    public static var STEP_PASTE = "Paste %s elements";
    public static var STATUS_COPIED_ELEMENTS = "Copied: %s element(s).";
    public static var STATUS_NOTHING_TO_PASTE = "Nothing to paste: copy elements first.";
    public static var STATUS_ZOOM = "Shown at %s%";
    public static var SELECTED_MANY = "%s elements selected: a change applies to each of them.";
    public static var LAYER_NAME = "Name";
    public static var RENAME = "Rename";
    public static var TYPE_TEXT = "Type the words with the desktop's input method (any script)";
    public static var SCRIPT_NOTE = "The player cannot set these letters (Chinese, Japanese, Korean, Arabic, Hebrew, Thai or Devanagari) with the banner's fonts: the editor and the SWF banner show a picture of them drawn by this program, the HTML5 creative, the backup image and exports set them as text.";
    public static var SCRIPT_NOTE_BUTTON = "The editor and the SWF banner cannot draw these letters (Chinese, Japanese, Korean, Arabic, Hebrew, Thai or Devanagari) on a button with the banner's fonts: the HTML5 creative, the backup image and exports show them.";
    public static var HIDE = "Hide in the editor";
    public static var LOCK = "Lock";
    public static var HIDDEN_NOTE = "Hidden elements are hidden in the editor only: the published banner shows them.";
    public static var SHORTCUTS_TITLE = "Keyboard shortcuts";
    public static var SHORTCUTS_POINTER = "With the pointer";
    public static var KEY_SHIFT_CLICK = "Shift+click";
    public static var HINT_SHIFT_CLICK = "Add to the selection or take out of it";
    public static var KEY_FRAME = "Drag on the background";
    public static var HINT_FRAME = "Select what the frame touches";
    public static var KEY_ARROWS = "Arrows / Shift+arrows";
    public static var HINT_ARROWS = "Nudge by 1 / 10 pixels";
    public static var KEY_WHEEL = "Ctrl+wheel";
    public static var HINT_WHEEL = "Zoom around the pointer; the wheel alone scrolls";
    public static var KEY_MEMBER = "Ctrl+click, double-click";
    public static var HINT_MEMBER = "One member of a group alone (Esc: the group)";

    // File dialog filters (description and pattern pairs, each ended by a vertical bar, the whole by two)
    public static var PROJECT_FILTER = "Banner Project File(*.pbf;*.xml)|*.pbf;*.xml||";
    public static var IMAGE_FILTER = "Images (*.png;*.jpg;*.jpeg;*.gif)|*.png;*.jpg;*.jpeg;*.gif|All files (*.*)|*.*||";

    /** German and French, by field name. */
    static var TRANSLATIONS:Map<String, Array<String>> = [
        "APP_TITLE" => ["Pennoria Banner-Editor", "\u00c9diteur de banni\u00e8res Pennoria"],
        "NEW_PROJECT_NAME" => ["neues Projekt", "nouveau projet"],
        "NEW" => ["Neu", "Nouveau"],
        "OPEN" => ["\u00d6ffnen...", "Ouvrir..."],
        "SAVE" => ["Speichern", "Enregistrer"],
        "RECENT" => ["Zuletzt...", "R\u00e9cents..."],
        "RECENT_TITLE" => ["Zuletzt verwendete Projekte", "Projets r\u00e9cents"],
        "RECENT_NONE" => ["Noch keine Projekte: Was Sie \u00f6ffnen oder speichern, steht hier.",
            "Aucun projet pour l'instant : ceux que vous ouvrez ou enregistrez s'affichent ici."],
        "RECENT_MISSING" => ["%s (fehlt)", "%s (introuvable)"],
        "RECENT_REMOVE" => ["Entfernen", "Retirer"],
        "RECENT_GONE" => ["Das Projekt %s ist nicht mehr vorhanden und wurde nicht ge\u00f6ffnet.",
            "Le projet %s n'existe plus ; il n'a pas \u00e9t\u00e9 ouvert."],
        "SAVE_AS" => ["Speichern unter...", "Enregistrer sous..."],
        "PUBLISH" => ["Ver\u00f6ffentlichen...", "Publier..."],
        "HELP" => ["Hilfe", "Aide"],
        "UNDO" => ["R\u00fcckg\u00e4ngig", "Annuler"],
        "REDO" => ["Wiederholen", "R\u00e9tablir"],
        "ADD_TEXT" => ["Text", "Texte"],
        "ADD_BUTTON" => ["Schaltfl\u00e4che", "Bouton"],
        "ADD_IMAGE" => ["Bild...", "Image..."],
        "ADD_RECT" => ["Rechteck", "Rectangle"],
        "ADD_ELLIPSE" => ["Ellipse", "Ellipse"],
        "DELETE" => ["L\u00f6schen", "Supprimer"],
        "DUPLICATE" => ["Duplizieren", "Dupliquer"],
        "FORWARD" => ["Nach vorn", "Avancer"],
        "BACKWARD" => ["Nach hinten", "Reculer"],
        "ADD_SIZE" => ["Neue Gr\u00f6\u00dfe...", "Ajouter..."],
        "REMOVE_SIZE" => ["Entfernen", "Retirer"],
        "ACTUAL_SIZE" => ["Originalgr\u00f6\u00dfe", "Taille r\u00e9elle"],
        "TIP_SHORTCUT" => ["%s (%s)", "%s (%s)"],
        "STEP_ADD" => ["%s hinzuf\u00fcgen", "Ajouter %s"],
        "STEP_DELETE" => ["%s l\u00f6schen", "Supprimer %s"],
        "STEP_DUPLICATE" => ["%s duplizieren", "Dupliquer %s"],
        "STEP_ORDER" => ["Reihenfolge \u00e4ndern", "Changer l'ordre"],
        "STEP_PROPERTY" => ["%s \u00e4ndern", "Modifier %s"],
        "STEP_SIZE" => ["Gr\u00f6\u00dfen", "Formats"],
        "SIZES" => ["Gr\u00f6\u00dfen", "Formats"],
        "LAYERS" => ["Ebenen", "Calques"],
        "NO_ELEMENTS" => ["Noch keine Elemente: f\u00fcgen Sie einen Text, eine Schaltfl\u00e4che, ein Bild oder eine Form hinzu.",
            "Aucun \u00e9l\u00e9ment : ajoutez un texte, un bouton, une image ou une forme."],
        "KIND_TEXT" => ["Text", "Texte"],
        "KIND_BUTTON" => ["Schaltfl\u00e4che", "Bouton"],
        "KIND_IMAGE" => ["Bild", "Image"],
        "KIND_SHAPE" => ["Form", "Forme"],
        "NEW_TEXT" => ["Ihr Text", "Votre texte"],
        "NEW_BUTTON" => ["Hier klicken", "Cliquez ici"],
        "SIZE_DIALOG_TITLE" => ["Gr\u00f6\u00dfe hinzuf\u00fcgen", "Ajouter un format"],
        "SIZE_DIALOG_INTRO" => ["W\u00e4hlen Sie eine Standardgr\u00f6\u00dfe oder geben Sie eine eigene ein. Das Design wird daf\u00fcr neu angeordnet.",
            "Choisissez un format standard ou saisissez le v\u00f4tre. La mise en page est refaite pour lui."],
        "CUSTOM_SIZE" => ["Eigene Gr\u00f6\u00dfe", "Format personnalis\u00e9"],
        "SIZE_EXISTS" => ["Das Projekt hat die Gr\u00f6\u00dfe %s schon.", "Le projet a d\u00e9j\u00e0 le format %s."],
        "ADD" => ["Hinzuf\u00fcgen", "Ajouter"],
        "TAB_BANNER" => ["Banner", "Banni\u00e8re"],
        "TAB_ELEMENT" => ["Element", "\u00c9l\u00e9ment"],
        "TAB_ANIMATION" => ["Animation", "Animation"],
        "NOTHING_SELECTED" => ["W\u00e4hlen Sie ein Element im Banner oder in der Ebenenliste, um es zu \u00e4ndern.",
            "S\u00e9lectionnez un \u00e9l\u00e9ment dans la banni\u00e8re ou dans la liste des calques pour le modifier."],
        "X" => ["X", "X"],
        "Y" => ["Y", "Y"],
        "WIDTH" => ["Breite", "Largeur"],
        "HEIGHT" => ["H\u00f6he", "Hauteur"],
        "OPACITY" => ["Deckkraft", "Opacit\u00e9"],
        "PERCENT" => ["%", "%"],
        "PIXELS" => ["px", "px"],
        "CONTENT" => ["Text", "Texte"],
        "LABEL" => ["Beschriftung", "Libell\u00e9"],
        "FONT" => ["Schrift", "Police"],
        "TEXT_SIZE" => ["Gr\u00f6\u00dfe", "Taille"],
        "BOLD" => ["Fett", "Gras"],
        "ITALIC" => ["Kursiv", "Italique"],
        "COLOUR" => ["Farbe", "Couleur"],
        "TEXT_COLOUR" => ["Textfarbe", "Texte"],
        "FILL" => ["F\u00fcllung", "Remplissage"],
        "NO_FILL" => ["Keine", "Aucun"],
        "STROKE" => ["Umriss", "Contour"],
        "STROKE_WIDTH" => ["Umrissst\u00e4rke", "\u00c9paisseur"],
        "RADIUS" => ["Ecken", "Coins"],
        "SHAPE_KIND" => ["Form", "Forme"],
        "ALIGN" => ["Ausrichtung", "Alignement"],
        "ALIGN_LEFT" => ["Links", "Gauche"],
        "ALIGN_CENTER" => ["Mitte", "Centre"],
        "ALIGN_RIGHT" => ["Rechts", "Droite"],
        "LINE_HEIGHT" => ["Zeilenh\u00f6he", "Interligne"],
        "SHADOW" => ["Schatten", "Ombre"],
        "LINK" => ["Link", "Lien"],
        "BUTTON_LINK_HINT" => ["Leer: ein Klick \u00f6ffnet den Link des Banners.", "Vide : un clic ouvre le lien de la banni\u00e8re."],
        "IMAGE_FILE" => ["Datei", "Fichier"],
        "CHOOSE_IMAGE" => ["Bild w\u00e4hlen...", "Choisir une image..."],
        "REMOVE_IMAGE" => ["Entfernen", "Retirer"],
        "NO_IMAGE" => ["Noch kein Bild gew\u00e4hlt.", "Aucune image choisie."],
        "FIT" => ["Einpassen", "Ajustement"],
        "FIT_COVER" => ["F\u00fcllen", "Remplir"],
        "FIT_CONTAIN" => ["Einpassen", "Contenir"],
        "FIT_STRETCH" => ["Strecken", "\u00c9tirer"],
        "TAB_LAYOUT" => ["Gr\u00f6\u00dfen", "Formats"],
        "LAYOUT" => ["Layout in anderen Gr\u00f6\u00dfen", "Mise en page des autres formats"],
        "AUTO_FIT" => ["Text einpassen", "Ajuster le texte"],
        "ANCHOR_X" => ["Waagrecht (Anker)", "Horizontal (ancre)"],
        "ANCHOR_Y" => ["Senkrecht (Anker)", "Vertical (ancre)"],
        "ANCHOR_LEFT" => ["Links", "Gauche"],
        "ANCHOR_CENTER" => ["Mitte", "Centre"],
        "ANCHOR_RIGHT" => ["Rechts", "Droite"],
        "ANCHOR_STRETCH" => ["Dehnen", "\u00c9tirer"],
        "ANCHOR_TOP" => ["Oben", "Haut"],
        "ANCHOR_MIDDLE" => ["Mitte", "Milieu"],
        "ANCHOR_BOTTOM" => ["Unten", "Bas"],
        "SCALING" => ["Gr\u00f6\u00dfe", "Taille"],
        "SCALING_KEEP" => ["Fest", "Fixe"],
        "SCALING_SHORTER" => ["Skaliert", "\u00c9chelle"],
        "SCALING_FILL" => ["F\u00fcllt", "Remplit"],
        "ROLE" => ["Rolle", "R\u00f4le"],
        "ROLE_LOGO" => ["Logo", "Logo"],
        "ROLE_HEADLINE" => ["Titel", "Titre"],
        "ROLE_BODY" => ["Text", "Texte"],
        "ROLE_CTA" => ["Aktion", "Action"],
        "ROLE_PRODUCT" => ["Bild", "Image"],
        "ROLE_DECORATION" => ["Dekor", "D\u00e9cor"],
        "ROLE_BACKGROUND" => ["Hintergrund", "Arri\u00e8re-plan"],
        "DOES_NOT_FIT" => ["Der Text passt nicht in %s.", "Le texte ne tient pas en %s."],
        "RELAYOUT" => ["Auto-Layout", "Mise en page"],
        "COPY_LAYOUT" => ["Layout kopieren", "Copier"],
        "STATUS_COPIED" => ["Layout kopiert nach %s.", "Mise en page copi\u00e9e vers %s."],
        "STATUS_NO_SIMILAR" => ["Keine andere Gr\u00f6\u00dfe hat eine \u00e4hnliche Form.", "Aucun autre format n'a une forme semblable."],
        "STATUS_LEFT_OUT" => ["Weggelassen in %s: %s", "Omis en %s : %s"],
        "ALL_SIZES" => ["Alle Gr\u00f6\u00dfen", "Tous formats"],
        "BACKGROUND" => ["Hintergrundfarbe", "Couleur de fond"],
        "BACKGROUND_IMAGE" => ["Hintergrundbild", "Image de fond"],
        "BANNER_LINK" => ["Link (Webadresse, die ein Klick \u00f6ffnet)", "Lien (adresse web ouverte par un clic)"],
        "LINK_HINT" => ["Die Seite \u00f6ffnet sich in einem neuen Fenster, wenn das Banner angeklickt wird.",
            "La page s'ouvre dans une nouvelle fen\u00eatre quand on clique sur la banni\u00e8re."],
        "LENGTH" => ["L\u00e4nge", "Dur\u00e9e"],
        "SECONDS" => ["s", "s"],
        "LOOPS" => ["Durchl\u00e4ufe", "Lectures"],
        "LENGTH_HINT" => ["L\u00e4nge \u00d7 Durchl\u00e4ufe ist h\u00f6chstens 30 Sekunden.", "Dur\u00e9e \u00d7 lectures vaut au plus 30 secondes."],
        "ENTRANCE" => ["Eingang", "Entr\u00e9e"],
        "EXIT" => ["Ausgang", "Sortie"],
        "EFFECT_NONE" => ["Keiner", "Aucun"],
        "EFFECT_FADE" => ["Einblenden", "Fondu"],
        "EFFECT_SLIDE" => ["Schieben", "Glisser"],
        "EFFECT_ZOOM" => ["Zoomen", "Zoom"],
        "SIDE" => ["Seite", "C\u00f4t\u00e9"],
        "SIDE_LEFT" => ["Links", "Gauche"],
        "SIDE_RIGHT" => ["Rechts", "Droite"],
        "SIDE_TOP" => ["Oben", "Haut"],
        "SIDE_BOTTOM" => ["Unten", "Bas"],
        "DELAY" => ["Beginn", "D\u00e9lai"],
        "DURATION" => ["Dauer", "Dur\u00e9e"],
        "EASING" => ["Verlauf", "Acc\u00e9l\u00e9ration"],
        "EASE_LINEAR" => ["Gleichm\u00e4\u00dfig", "Lin\u00e9aire"],
        "EASE_IN" => ["Anfahren", "D\u00e9part"],
        "EASE_OUT" => ["Abbremsen", "Arriv\u00e9e"],
        "EASE_IN_OUT" => ["Beides", "Les deux"],
        "MILLISECONDS" => ["ms", "ms"],
        "LINK_REFUSED" => ["Nur Links, die mit http:, https: oder mailto: beginnen, werden verwendet; dieser nicht.",
            "Seuls les liens commen\u00e7ant par http:, https: ou mailto: sont utilis\u00e9s ; celui-ci ne l'est pas."],
        "BAD_COLOUR" => ["Farben werden als # und sechs Hexadezimalziffern geschrieben, zum Beispiel #1E3A5F.",
            "Les couleurs s'\u00e9crivent # suivi de six chiffres hexad\u00e9cimaux, par exemple #1E3A5F."],
        "NUMBER_LIMITS" => ["%s muss zwischen %s und %s liegen.", "%s doit \u00eatre entre %s et %s."],
        "PICTURE_TOO_LARGE" => ["Das Bild %s hat %s Pixel: Bilder bis 16 Megapixel (4096 \u00d7 4096) werden gezeigt. Verkleinern Sie es mit einem Bildprogramm.",
            "L'image %s fait %s pixels : les images d'au plus 16 m\u00e9gapixels (4096 \u00d7 4096) sont affich\u00e9es. R\u00e9duisez-la avec un logiciel d'image."],
        "PICTURE_ADDRESS" => ["Das Bild %s ist eine Webadresse: Bilder kommen nur aus Dateien, es wird als fehlend gezeigt.",
            "L'image %s est une adresse web : les images viennent uniquement de fichiers, elle est donc affich\u00e9e comme manquante."],
        "SIZE_LIMITS" => ["Breite und H\u00f6he m\u00fcssen zwischen %s und %s Pixeln liegen.",
            "La largeur et la hauteur doivent \u00eatre entre %s et %s pixels."],
        "PUBLISH_TITLE" => ["Banner ver\u00f6ffentlichen", "Publier la banni\u00e8re"],
        "PUBLISH_INTRO" => ["Alles wird in einen Ordner mit dem Namen der Filmdatei im Ausgabeordner geschrieben.",
            "Tout est \u00e9crit dans un dossier au nom du fichier de l'animation, dans le dossier de sortie."],
        "OUTPUT_FOLDER" => ["Ausgabeordner", "Dossier de sortie"],
        "BROWSE" => ["Durchsuchen...", "Parcourir..."],
        "MOVIE_NAME" => ["Filmdatei", "Fichier de l'animation"],
        "PAGE_NAME" => ["Webseite", "Page web"],
        "XML_NAME" => ["Banner-Datendatei", "Fichier de donn\u00e9es"],
        "WHAT_TO_WRITE" => ["Was geschrieben wird", "Ce qui est \u00e9crit"],
        "HTML5_AD" => ["HTML5-Anzeige und Ersatzbild", "Annonce HTML5 et image de secours"],
        "HTML5_AD_NOTE" => ["Was Werbenetzwerke annehmen: der Ordner html5 und sein Zip zum Hochladen, dazu ein Ersatzbild (PNG).",
            "Ce que prennent les r\u00e9gies : le dossier html5 et son zip \u00e0 t\u00e9l\u00e9verser, plus une image de secours (PNG)."],
        "MOVIE_AND_PAGES" => ["Webseiten mit dem Player", "Pages web avec le lecteur"],
        "PAGES_NOTE" => ["F\u00fcr die eigene Website: Seiten, die das Banner mit dem Player daneben abspielen (Ordner ruffle).",
            "Pour votre site : des pages qui lisent la banni\u00e8re avec le lecteur \u00e0 c\u00f4t\u00e9 (dossier ruffle)."],
        "SWF_MOVIE" => ["SWF-Film", "Animation SWF"],
        "MOVIE_NOTE" => ["Der Bannerfilm, den die Seiten abspielen, mit seiner Komponente (Ordner res); aus: nur die HTML5-Anzeige und die Bilder.",
            "L'animation que lisent les pages, avec son composant (dossier res) ; sans : seulement l'annonce HTML5 et les images."],
        "OPTIONS" => ["Optionen", "Options"],
        "PAGE_KIND" => ["Seiten zeigen den Film", "Les pages montrent l'animation"],
        "PLAYER" => ["Player", "Lecteur"],
        "PAGES_EMBED" => ["Direkt eingebettet", "Int\u00e9gr\u00e9e directement"],
        "PAGES_SCRIPT" => ["Mit einem Skript (swfobject.js)", "Par un script (swfobject.js)"],
        "PLAYER_BUNDLED" => ["Ruffle neben den Seiten", "Ruffle \u00e0 c\u00f4t\u00e9 des pages"],
        "PLAYER_NONE" => ["Kein Player", "Pas de lecteur"],
        "PREVIEW_IN_BROWSER" => ["Vorschau im Browser", "Aper\u00e7u dans le navigateur"],
        "PREVIEWING" => ["Die Vorschau wird im Browser ge\u00f6ffnet...", "Ouverture de l'aper\u00e7u dans le navigateur..."],
        "PREVIEW_OK" => ["Die Vorschau wurde an den Browser \u00fcbergeben.", "L'aper\u00e7u a \u00e9t\u00e9 transmis au navigateur."],
        "DO_PUBLISH" => ["Ver\u00f6ffentlichen", "Publier"],
        "OPEN_FOLDER" => ["Ausgabeordner \u00f6ffnen", "Ouvrir le dossier"],
        "CLOSE" => ["Schlie\u00dfen", "Fermer"],
        "KEY_CTRL" => ["Strg", "Ctrl"],
        "KEY_SHIFT" => ["Umschalt", "Maj"],
        "KEY_DELETE" => ["Entf", "Suppr"],
        "KEY_UP" => ["Oben", "Haut"],
        "KEY_DOWN" => ["Unten", "Bas"],
        "KEY_LEFT" => ["Links", "Gauche"],
        "KEY_RIGHT" => ["Rechts", "Droite"],
        "KEY_NUM" => ["Num", "Pav\u00e9 num."],
        "PUBLISHING" => ["Wird ver\u00f6ffentlicht...", "Publication..."],
        "PUBLISH_OK" => ["Fertig. Das Banner wurde nach %s ver\u00f6ffentlicht", "Termin\u00e9. La banni\u00e8re a \u00e9t\u00e9 publi\u00e9e dans %s"],
        "PUBLISH_USER_CANCEL" => ["Das Ver\u00f6ffentlichen wurde abgebrochen: der vorhandene Ordner blieb, wie er war.",
            "Publication annul\u00e9e : le dossier existant est rest\u00e9 tel quel."],
        "PUBLISH_CREATE_DIR_FAILED" => ["Der Ausgabeordner konnte nicht angelegt werden. W\u00e4hlen Sie einen anderen Ordner oder andere Dateinamen.",
            "Le dossier de sortie n'a pas pu \u00eatre cr\u00e9\u00e9. Choisissez un autre dossier ou d'autres noms de fichiers."],
        "PUBLISH_NO_CONTENT" => ["Das Banner konnte nicht zum Ver\u00f6ffentlichen \u00fcbergeben werden. Bitte versuchen Sie es noch einmal.",
            "La banni\u00e8re n'a pas pu \u00eatre transmise pour la publication. Veuillez r\u00e9essayer."],
        "PUBLISH_UNKNOWN" => ["Das Ver\u00f6ffentlichen wurde nicht beendet (Antwort: %s).", "La publication ne s'est pas termin\u00e9e (r\u00e9ponse : %s)."],
        "PUBLISH_NEED_FOLDER" => ["W\u00e4hlen Sie zuerst einen Ausgabeordner.", "Choisissez d'abord un dossier de sortie."],
        "PUBLISH_NOT_FITTING" => ["Ver\u00f6ffentlicht, aber diese Texte passen nicht in ihre Felder: %s.",
            "Publi\u00e9, mais ces textes ne tiennent pas dans leur cadre : %s."],
        "AT_SIZE" => ["%s in %s", "%s en %s"],
        "PUBLISH_BAD_NAME" => ["Dateinamen d\u00fcrfen weder / noch \\ enthalten und nicht mit einem Punkt beginnen: %s",
            "Les noms de fichiers ne doivent contenir ni / ni \\ ni commencer par un point : %s"],
        "FEED" => ["Feed...", "Flux..."],
        "FEED_OPEN" => ["Produkt-Feed...", "Flux de produits..."],
        "FEED_TITLE" => ["Produkt-Feed: eine Variante des Banners je Zeile", "Flux de produits : une variante de la banni\u00e8re par ligne"],
        "FEED_LOAD" => ["CSV-Datei laden...", "Charger un fichier CSV..."],
        "FEED_NONE" => ["Kein Feed geladen. Jede Spalte mit der ID eines Elements setzt es in der Variante ihrer Zeile.",
            "Aucun flux charg\u00e9. Chaque colonne nomm\u00e9e d'apr\u00e8s l'id d'un \u00e9l\u00e9ment le d\u00e9finit dans la variante de sa ligne."],
        "FEED_FILE" => ["%s: %s Zeilen", "%s : %s lignes"],
        "FEED_FILTER" => ["Produkt-Feeds (*.csv)|*.csv|Alle Dateien (*.*)|*.*||", "Flux de produits (*.csv)|*.csv|Tous les fichiers (*.*)|*.*||"],
        "FEED_UNREADABLE" => ["Der Feed %s konnte nicht gelesen werden.", "Le flux %s n'a pas pu \u00eatre lu."],
        "FEED_ROWS_SHOWN" => ["Zeilen %s bis %s von %s", "Lignes %s \u00e0 %s sur %s"],
        "FEED_ROW_REFUSED" => ["Zeile %s kann nicht ver\u00f6ffentlicht werden: %s", "La ligne %s ne peut pas \u00eatre publi\u00e9e : %s"],
        "FEED_NOT_FITTING" => ["%s passt in %s nicht in sein Feld", "%s ne tient pas dans son cadre en %s"],
        "FEED_LEFT_OUT" => ["%s f\u00e4llt in %s weg", "%s est omis en %s"],
        "FEED_UNKNOWN" => ["Spalten, die nichts im Design benennen (ignoriert): %s", "Colonnes qui ne nomment rien du design (ignor\u00e9es) : %s"],
        "FEED_MORE" => ["...und %s weitere", "...et %s autres"],
        "FEED_PUBLISH" => ["Alle Zeilen ver\u00f6ffentlichen", "Publier toutes les lignes"],
        "FEED_CANCEL" => ["Anhalten", "Arr\u00eater"],
        "FEED_PUBLISHING" => ["Wird ver\u00f6ffentlicht: %s von %s Zeilen fertig...", "Publication : %s lignes sur %s termin\u00e9es..."],
        "FEED_DONE" => ["Fertig: %s von %s Varianten ver\u00f6ffentlicht (%s fehlgeschlagen) in %s",
            "Termin\u00e9 : %s variantes sur %s publi\u00e9es (%s en \u00e9chec) dans %s"],
        "FEED_CANCELLED" => ["Angehalten: %s von %s Varianten ver\u00f6ffentlicht (%s fehlgeschlagen), jede vollst\u00e4ndig, in %s",
            "Arr\u00eat\u00e9 : %s variantes sur %s publi\u00e9es (%s en \u00e9chec), chacune compl\u00e8te, dans %s"],
        "FEED_FAILED" => ["Das Ver\u00f6ffentlichen des Feeds wurde nicht beendet.", "La publication du flux ne s'est pas termin\u00e9e."],
        "FEED_NOT_STARTED" => ["Der Feed konnte nicht ver\u00f6ffentlicht werden.", "Le flux n'a pas pu \u00eatre publi\u00e9."],
        "EXPORT" => ["Exportieren...", "Exporter..."],
        "EXPORT_TITLE" => ["Exportieren: animiertes GIF, Video oder Standbilder", "Exporter : GIF anim\u00e9, vid\u00e9o ou images fixes"],
        "EXPORT_FORMAT" => ["Format", "Format"],
        "EXPORT_NOTE_GIF" => ["Animiert, nach den Regeln f\u00fcr Bildanzeigen: h\u00f6chstens 5 Bilder pro Sekunde, 30 s und die Gr\u00f6\u00dfengrenze.", "Anim\u00e9, selon les r\u00e8gles des annonces illustr\u00e9es : au plus 5 images par seconde, 30 s et la limite de taille."],
        "EXPORT_NOTE_VIDEO" => ["Video in H.264 (MP4) oder VP9 (WebM) mit dem ganzen Ablauf des Banners, h\u00f6chstens 30 s.", "Vid\u00e9o H.264 (MP4) ou VP9 (WebM) de toute la lecture de la banni\u00e8re, au plus 30 s."],
        "EXPORT_NOTE_STILL" => ["Ein Bild je Gr\u00f6\u00dfe zum angegebenen Zeitpunkt.", "Une image par taille au moment donn\u00e9."],
        "EXPORT_SIZES" => ["Gr\u00f6\u00dfen", "Tailles"],
        "EXPORT_ALL_SIZES" => ["Alle Gr\u00f6\u00dfen", "Toutes les tailles"],
        "EXPORT_AT" => ["Zeitpunkt (s)", "Moment (s)"],
        "EXPORT_AT_HINT" => ["Leer: das letzte Bild", "Vide : la derni\u00e8re image"],
        "EXPORT_FPS" => ["Bilder pro Sekunde", "Images par seconde"],
        "EXPORT_MAX_KB" => ["GIF-Gr\u00f6\u00dfengrenze (KB)", "Limite du GIF (Ko)"],
        "EXPORT_FOLDER" => ["Ordner", "Dossier"],
        "EXPORT_GO" => ["Exportieren", "Exporter"],
        "EXPORT_STOP" => ["Anhalten", "Arr\u00eater"],
        "EXPORTING" => ["Wird exportiert... %s %", "Exportation... %s %"],
        "EXPORT_DONE" => ["Fertig: %s Dateien in %s geschrieben", "Termin\u00e9 : %s fichiers \u00e9crits dans %s"],
        "EXPORT_CANCELLED" => ["Angehalten: %s Dateien geschrieben, jede vollst\u00e4ndig, in %s", "Arr\u00eat\u00e9 : %s fichiers \u00e9crits, chacun complet, dans %s"],
        "EXPORT_FAILED" => ["Nicht jede Gr\u00f6\u00dfe konnte geschrieben werden: %s Dateien in %s", "Toutes les tailles n'ont pas pu \u00eatre \u00e9crites : %s fichiers dans %s"],
        "EXPORT_NEED_FOLDER" => ["W\u00e4hlen Sie den Ordner f\u00fcr die Dateien.", "Choisissez le dossier des fichiers."],
        "EXPORT_NOT_STARTED" => ["Der Export konnte nicht gestartet werden.", "L'exportation n'a pas pu d\u00e9marrer."],
        "ASK_SAVE_TITLE" => ["Ungespeicherte \u00c4nderungen", "Modifications non enregistr\u00e9es"],
        "ASK_SAVE" => ["Das Banner \u201e%s\u201c hat \u00c4nderungen, die nicht gespeichert sind.\nM\u00f6chten Sie sie zuerst speichern?",
            "La banni\u00e8re \u00ab %s \u00bb a des modifications non enregistr\u00e9es.\nVoulez-vous d'abord les enregistrer ?"],
        "RECOVER_TITLE" => ["Ungespeicherte Arbeit wiederherstellen", "R\u00e9cup\u00e9rer le travail non enregistr\u00e9"],
        "RECOVER_QUESTION" => ["Der Editor wurde zuletzt nicht geschlossen, und nicht gespeicherte Arbeit wurde aufbewahrt.\nWiederherstellen? Sie \u00f6ffnet sich als neues, noch nicht gespeichertes Projekt.",
            "L'\u00e9diteur ne s'est pas ferm\u00e9 normalement la derni\u00e8re fois, et le travail non enregistr\u00e9 a \u00e9t\u00e9 gard\u00e9.\nLe r\u00e9cup\u00e9rer ? Il s'ouvre comme un nouveau projet pas encore enregistr\u00e9."],
        "RECOVER" => ["Wiederherstellen", "R\u00e9cup\u00e9rer"],
        "DISCARD" => ["Verwerfen", "Abandonner"],
        "RECOVER_FAILED" => ["Die aufbewahrte Arbeit konnte nicht gelesen werden.", "Le travail gard\u00e9 n'a pas pu \u00eatre relu."],
        "STATUS_RECOVERED" => ["Die aufbewahrte Arbeit ist zur\u00fcck. Speichern Sie sie in einer Projektdatei.",
            "Le travail gard\u00e9 est de retour. Enregistrez-le dans un fichier de projet."],
        "STATUS_DISCARDED" => ["Die aufbewahrte Arbeit wurde verworfen.", "Le travail gard\u00e9 a \u00e9t\u00e9 abandonn\u00e9."],
        "YES_SAVE" => ["Speichern", "Enregistrer"],
        "NO_DISCARD" => ["Nicht speichern", "Ne pas enregistrer"],
        "CANCEL" => ["Abbrechen", "Annuler"],
        "OK" => ["OK", "OK"],
        "SAVE_FAILED" => ["Das Projekt konnte an diesem Ort nicht gespeichert werden.", "Le projet n'a pas pu \u00eatre enregistr\u00e9 \u00e0 cet endroit."],
        "OPEN_FAILED" => ["Die Projektdatei konnte nicht gelesen werden:\n%s\n\nDas Banner im Editor bleibt, wie es war.",
            "Le fichier du projet n'a pas pu \u00eatre lu :\n%s\n\nLa banni\u00e8re de l'\u00e9diteur reste telle qu'elle \u00e9tait."],
        "NOT_A_PROJECT" => ["Diese Datei ist kein Bannerprojekt:\n%s\n\nDas Banner im Editor bleibt, wie es war.",
            "Ce fichier n'est pas un projet de banni\u00e8re :\n%s\n\nLa banni\u00e8re de l'\u00e9diteur reste telle qu'elle \u00e9tait."],
        "READ_ONLY" => ["Dieses Projekt enth\u00e4lt mehr, als der Editor lesen kann: %s.\n\n%s ist schreibgesch\u00fctzt ge\u00f6ffnet: Es wird gezeigt, soweit es gelesen wurde, und kann hier weder ge\u00e4ndert noch gespeichert oder ver\u00f6ffentlicht werden, damit die Datei alles beh\u00e4lt.",
            "Ce projet contient plus que l'\u00e9diteur ne peut lire : %s.\n\n%s est ouvert en lecture seule : il est montr\u00e9 tel qu'il a \u00e9t\u00e9 lu et ne peut \u00eatre ni modifi\u00e9, ni enregistr\u00e9, ni publi\u00e9 d'ici, afin que le fichier garde tout."],
        "READ_ONLY_NOT_SAVED" => ["Dieses Projekt ist schreibgesch\u00fctzt ge\u00f6ffnet (%s): Es wird nicht gespeichert, damit die Datei alles beh\u00e4lt.",
            "Ce projet est ouvert en lecture seule (%s) : il n'est pas enregistr\u00e9, afin que le fichier garde tout."],
        "LIMIT_ELEMENTS" => ["%s Elemente (h\u00f6chstens %s)", "%s \u00e9l\u00e9ments (au plus %s)"],
        "LIMIT_SIZES" => ["%s Gr\u00f6\u00dfen (h\u00f6chstens %s)", "%s formats (au plus %s)"],
        "LIMIT_TEXT" => ["ein Text mit %s Zeichen (h\u00f6chstens %s)", "un texte de %s caract\u00e8res (au plus %s)"],
        "READ_ONLY_MARK" => [" (schreibgesch\u00fctzt)", " (lecture seule)"],
        "STATUS_READ_ONLY" => ["%s schreibgesch\u00fctzt ge\u00f6ffnet: %s", "%s ouvert en lecture seule : %s"],
        "READY" => ["Bereit. F\u00fcgen Sie einen Text, eine Schaltfl\u00e4che, ein Bild oder eine Form hinzu, um Ihr Banner zu beginnen.",
            "Pr\u00eat. Ajoutez un texte, un bouton, une image ou une forme pour commencer votre banni\u00e8re."],
        "STATUS_NEW" => ["Neues Banner begonnen.", "Nouvelle banni\u00e8re commenc\u00e9e."],
        "STATUS_OPENING" => ["%s wird ge\u00f6ffnet ...", "Ouverture de %s ..."],
        "STATUS_OPENED" => ["%s ge\u00f6ffnet", "%s ouvert"],
        "STATUS_CONVERTED" => ["%s ge\u00f6ffnet (ein \u00e4lteres Projekt: es wird beim Speichern im neuen Format geschrieben)",
            "%s ouvert (un projet plus ancien : il sera \u00e9crit au nouveau format \u00e0 l'enregistrement)"],
        "STATUS_SAVED" => ["Gespeichert nach %s", "Enregistr\u00e9 dans %s"],
        "STATUS_SAVE_CANCELLED" => ["Nicht gespeichert.", "Non enregistr\u00e9."],
        "STATUS_NO_HOST" => ["Der Editor l\u00e4uft ohne sein Host-Programm: Befehle sind nicht verf\u00fcgbar.",
            "L'\u00e9diteur fonctionne sans son programme h\u00f4te : les commandes ne sont pas disponibles."],
        "STATUS_UNDONE" => ["R\u00fcckg\u00e4ngig gemacht: %s", "Annul\u00e9 : %s"],
        "STATUS_REDONE" => ["Wiederholt: %s", "R\u00e9tabli : %s"],
        "STATUS_LANGUAGE" => ["Der Editor spricht jetzt Deutsch.", "L'\u00e9diteur parle maintenant fran\u00e7ais."],
        "CANVAS_SIZE" => ["%s x %s px   Angezeigt mit %s%", "%s x %s px   Affich\u00e9 \u00e0 %s%"],
        "PLAY" => ["Abspielen", "Lire"],
        "PAUSE" => ["Pause", "Pause"],
        "TIME_SECONDS" => ["%s s", "%s s"],
        "STEP_MOVE" => ["Verschieben", "D\u00e9placer"],
        "STEP_RESIZE" => ["Gr\u00f6\u00dfe \u00e4ndern", "Redimensionner"],
        "STEP_NUDGE" => ["Versetzen", "D\u00e9caler"],
        "STEP_TIMING" => ["Einstiegsverz\u00f6gerung", "D\u00e9lai d'entr\u00e9e"],
        "SELECT_ALL" => ["Alles ausw\u00e4hlen", "Tout s\u00e9lectionner"],
        "COPY" => ["Kopieren", "Copier"],
        "CUT" => ["Ausschneiden", "Couper"],
        "PASTE" => ["Einf\u00fcgen", "Coller"],
        "ALIGN_LEFTS" => ["Links ausrichten", "Aligner \u00e0 gauche"],
        "ALIGN_CENTRES" => ["Horizontal zentrieren", "Centrer horizontalement"],
        "ALIGN_RIGHTS" => ["Rechts ausrichten", "Aligner \u00e0 droite"],
        "ALIGN_TOPS" => ["Oben ausrichten", "Aligner en haut"],
        "ALIGN_MIDDLES" => ["Vertikal zentrieren", "Centrer verticalement"],
        "ALIGN_BOTTOMS" => ["Unten ausrichten", "Aligner en bas"],
        "DISTRIBUTE_H" => ["Horizontal verteilen", "R\u00e9partir horizontalement"],
        "DISTRIBUTE_V" => ["Vertikal verteilen", "R\u00e9partir verticalement"],
        "GROUP" => ["Gruppieren", "Grouper"],
        "COLOUR_DIALOG_TITLE" => ["Farbe: %s", "Couleur : %s"],
        "COLOUR_NEW" => ["Neu", "Nouvelle"],
        "COLOUR_CURRENT" => ["Bisher", "Actuelle"],
        "COLOUR_HEX" => ["Hex", "Hex"],
        "COLOUR_EYEDROPPER" => ["Aus dem Banner w\u00e4hlen", "Prendre dans la banni\u00e8re"],
        "ADD_FONT" => ["Schriftdatei hinzuf\u00fcgen\u2026", "Ajouter un fichier de police\u2026"],
        "ADD_FONT_TITLE" => ["Schrift hinzugef\u00fcgt", "Police ajout\u00e9e"],
        "FONT_LICENCE" => [
            "Die Schrift %s geh\u00f6rt jetzt zu diesem Projekt: Ihre Datei wurde in den Ordner fonts neben dem Projekt kopiert, und was Sie ver\u00f6ffentlichen, enth\u00e4lt sie. Ob die Lizenz der Schrift das Einbetten in Banner erlaubt, liegt in Ihrer Verantwortung.",
            "La police %s fait d\u00e9sormais partie de ce projet : son fichier a \u00e9t\u00e9 copi\u00e9 dans le dossier fonts \u00e0 c\u00f4t\u00e9 du projet, et ce que vous publiez la contient. V\u00e9rifier que sa licence permet de l'incorporer dans des banni\u00e8res rel\u00e8ve de votre responsabilit\u00e9."
        ],
        "FONT_NEEDS_SAVING" => [
            "Speichern Sie das Projekt zuerst: Die Schriftdatei wird in den Ordner fonts daneben kopiert.",
            "Enregistrez d'abord le projet : le fichier de police est copi\u00e9 dans le dossier fonts \u00e0 c\u00f4t\u00e9."
        ],
        "FONT_NOT_ADDED" => ["Die Schrift konnte nicht hinzugef\u00fcgt werden: %s.", "La police n'a pas pu \u00eatre ajout\u00e9e : %s."],
        "FONT_FILTER" => ["Schriften (*.ttf;*.otf)|*.ttf;*.otf;*.TTF;*.OTF|Alle Dateien (*.*)|*.*||",
            "Polices (*.ttf;*.otf)|*.ttf;*.otf;*.TTF;*.OTF|Tous les fichiers (*.*)|*.*||"],
        "COLOURS_IN_BANNER" => ["Farben in diesem Banner", "Couleurs de cette banni\u00e8re"],
        "COLOURS_NONE_USED" => ["Noch keine.", "Aucune pour l'instant."],
        "UNGROUP" => ["Gruppierung aufheben", "D\u00e9grouper"],
        "STEP_GROUP" => ["Gruppieren", "Grouper"],
        "STEP_UNGROUP" => ["Gruppierung aufheben", "D\u00e9grouper"],
        "ALIGN_TO_BANNER" => ["Am Banner ausrichten", "Aligner sur la banni\u00e8re"],
        "ZOOM_IN" => ["Vergr\u00f6\u00dfern", "Zoom avant"],
        "ZOOM_OUT" => ["Verkleinern", "Zoom arri\u00e8re"],
        "ZOOM_FIT" => ["Einpassen", "Ajuster"],
        "GRID" => ["Raster", "Grille"],
        "SHORTCUTS" => ["Tastenk\u00fcrzel", "Raccourcis clavier"],
        "STEP_DELETE_MANY" => ["%s Elemente l\u00f6schen", "Supprimer %s \u00e9l\u00e9ments"],
        "STEP_DUPLICATE_MANY" => ["%s Elemente duplizieren", "Dupliquer %s \u00e9l\u00e9ments"],
        "STEP_PASTE_ONE" => ["%s einf\u00fcgen", "Coller %s"],
        "STEP_PASTE" => ["%s Elemente einf\u00fcgen", "Coller %s \u00e9l\u00e9ments"],
        "STATUS_COPIED_ELEMENTS" => ["Kopiert: %s Element(e).", "Copi\u00e9 : %s \u00e9l\u00e9ment(s)."],
        "STATUS_NOTHING_TO_PASTE" => ["Nichts einzuf\u00fcgen: zuerst Elemente kopieren.", "Rien \u00e0 coller : copiez d'abord des \u00e9l\u00e9ments."],
        "STATUS_ZOOM" => ["Angezeigt mit %s%", "Affich\u00e9 \u00e0 %s%"],
        "SELECTED_MANY" => ["%s Elemente ausgew\u00e4hlt: eine \u00c4nderung gilt f\u00fcr jedes.",
            "%s \u00e9l\u00e9ments s\u00e9lectionn\u00e9s : une modification s'applique \u00e0 chacun."],
        "LAYER_NAME" => ["Name", "Nom"],
        "RENAME" => ["Umbenennen", "Renommer"],
        "TYPE_TEXT" => ["Text mit der Eingabemethode des Systems eingeben (jede Schrift)",
            "Saisir le texte avec la m\u00e9thode de saisie du syst\u00e8me (toute \u00e9criture)"],
        "SCRIPT_NOTE" => ["Der Player kann diese Zeichen (Chinesisch, Japanisch, Koreanisch, Arabisch, Hebr\u00e4isch, Thai oder Devanagari) nicht mit den Schriften des Banners setzen: Editor und SWF-Banner zeigen ein Bild davon, das dieses Programm zeichnet; HTML5-Creative, Ersatzbild und Exporte setzen sie als Text.",
            "Le lecteur ne peut pas composer ces caract\u00e8res (chinois, japonais, cor\u00e9en, arabe, h\u00e9breu, tha\u00ef ou devanagari) avec les polices de la banni\u00e8re : l'\u00e9diteur et la banni\u00e8re SWF en montrent une image dessin\u00e9e par ce programme ; la cr\u00e9ation HTML5, l'image de secours et les exports les composent en texte."],
        "SCRIPT_NOTE_BUTTON" => ["Editor und SWF-Banner k\u00f6nnen diese Zeichen (Chinesisch, Japanisch, Koreanisch, Arabisch, Hebr\u00e4isch, Thai oder Devanagari) auf einer Schaltfl\u00e4che nicht mit den Schriften des Banners zeichnen: HTML5-Creative, Ersatzbild und Exporte zeigen sie.",
            "L'\u00e9diteur et la banni\u00e8re SWF ne peuvent pas dessiner ces caract\u00e8res (chinois, japonais, cor\u00e9en, arabe, h\u00e9breu, tha\u00ef ou devanagari) sur un bouton avec les polices de la banni\u00e8re : la cr\u00e9ation HTML5, l'image de secours et les exports les montrent."],
        "HIDE" => ["Im Editor ausblenden", "Masquer dans l'\u00e9diteur"],
        "LOCK" => ["Sperren", "Verrouiller"],
        "HIDDEN_NOTE" => ["Ausgeblendete Elemente fehlen nur im Editor: das ver\u00f6ffentlichte Banner zeigt sie.",
            "Les \u00e9l\u00e9ments masqu\u00e9s le sont dans l'\u00e9diteur seulement : la banni\u00e8re publi\u00e9e les montre."],
        "SHORTCUTS_TITLE" => ["Tastenk\u00fcrzel", "Raccourcis clavier"],
        "SHORTCUTS_POINTER" => ["Mit dem Zeiger", "Avec le pointeur"],
        "KEY_SHIFT_CLICK" => ["Umschalt+Klick", "Maj+clic"],
        "HINT_SHIFT_CLICK" => ["Zur Auswahl hinzuf\u00fcgen oder herausnehmen", "Ajouter \u00e0 la s\u00e9lection ou l'en retirer"],
        "KEY_FRAME" => ["Auf dem Hintergrund ziehen", "Glisser sur le fond"],
        "HINT_FRAME" => ["W\u00e4hlt, was der Rahmen ber\u00fchrt", "S\u00e9lectionne ce que le cadre touche"],
        "KEY_ARROWS" => ["Pfeile / Umschalt+Pfeile", "Fl\u00e8ches / Maj+fl\u00e8ches"],
        "HINT_ARROWS" => ["Um 1 / 10 Pixel versetzen", "D\u00e9caler de 1 / 10 pixels"],
        "KEY_WHEEL" => ["Strg+Mausrad", "Ctrl+molette"],
        "HINT_WHEEL" => ["Zoomt um den Zeiger; das Rad allein rollt", "Zoome autour du pointeur ; la molette seule fait d\u00e9filer"],
        "KEY_MEMBER" => ["Strg+Klick, Doppelklick", "Ctrl+clic, double-clic"],
        "HINT_MEMBER" => ["Ein Mitglied einer Gruppe allein (Esc: die Gruppe)", "Un membre d'un groupe seul (\u00c9chap : le groupe)"],
        "PROJECT_FILTER" => ["Banner Project File(*.pbf;*.xml)|*.pbf;*.xml||", "Banner Project File(*.pbf;*.xml)|*.pbf;*.xml||"],
        "IMAGE_FILTER" => ["Bilder (*.png;*.jpg;*.jpeg;*.gif)|*.png;*.jpg;*.jpeg;*.gif|Alle Dateien (*.*)|*.*||",
            "Images (*.png;*.jpg;*.jpeg;*.gif)|*.png;*.jpg;*.jpeg;*.gif|Tous les fichiers (*.*)|*.*||"]
    ];

    /** Fields that read the same in every language. */
    static var UNTRANSLATED = ["MODIFIED_MARK", "TITLE", "ERROR_TITLE", "EXPORT_GIF", "EXPORT_MP4", "EXPORT_WEBM", "EXPORT_PNG", "EXPORT_JPEG"];

    static var english:Map<String, String> = null;

    /** The fields holding texts (everything in upper case). */
    public static function keys():Array<String> {
        return [for (f in Type.getClassFields(Strings)) if (f.toUpperCase() == f && f.charAt(0) != "_" && Std.isOfType(Reflect.field(Strings, f), String)) f];
    }

    /** The translations a language lacks (empty when complete); for the tests. */
    public static function missing(code:String):Array<String> {
        var i = LANGUAGES.indexOf(code) - 1;
        if (i < 0)
            return [];
        return [for (k in keys()) if (UNTRANSLATED.indexOf(k) < 0 && (!TRANSLATIONS.exists(k) || TRANSLATIONS.get(k)[i] == null)) k];
    }

    /** The code for a language name from the host (eng, deu, fra); English for anything else. */
    public static function codeFor(value:String):String {
        var v = value == null ? "" : StringTools.trim(value).toLowerCase();
        return LANGUAGES.indexOf(v) >= 0 ? v : "eng";
    }

    /** Fills the fields with the texts of the language (eng, deu or fra). */
    public static function setLanguage(code:String) {
        code = codeFor(code);
        if (english == null) {
            english = new Map();
            for (k in keys())
                english.set(k, Reflect.field(Strings, k));
        }
        var column = LANGUAGES.indexOf(code) - 1;
        for (k in english.keys()) {
            var text = english.get(k);
            if (column >= 0 && TRANSLATIONS.exists(k) && TRANSLATIONS.get(k)[column] != null)
                text = TRANSLATIONS.get(k)[column];
            Reflect.setField(Strings, k, text);
        }
        language = code;
    }

    /** The limits a document went past, as a reader of the editor's language says them. */
    public static function limits(over:Array<BannerDocument.OverLimit>):String {
        return [
            for (l in over)
                format(switch (l.what) {
                    case "elements": LIMIT_ELEMENTS;
                    case "sizes": LIMIT_SIZES;
                    default: LIMIT_TEXT;
                }, [Std.string(l.count), Std.string(l.limit)])
        ].join(", ");
    }

    /** Replaces each "%s" of the pattern in turn by the next value. */
    public static function format(pattern:String, values:Array<String>):String {
        var out = new StringBuf();
        var next = 0;
        var i = 0;
        while (i < pattern.length) {
            if (pattern.charAt(i) == "%" && i + 1 < pattern.length && pattern.charAt(i + 1) == "s") {
                out.add(next < values.length ? values[next] : "");
                next++;
                i += 2;
            } else {
                out.add(pattern.charAt(i));
                i++;
            }
        }
        return out.toString();
    }
}
