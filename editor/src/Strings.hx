// Every text the editor shows, in one table so that other languages can follow (English here).
class Strings {
    public static inline var APP_TITLE = "Pennoria Banner Editor";
    public static inline var NEW_PROJECT_NAME = "new project";
    public static inline var MODIFIED_MARK = " *";
    public static inline var TITLE = "%s - %s";

    // Toolbar
    public static inline var NEW = "New";
    public static inline var OPEN = "Open...";
    public static inline var SAVE = "Save";
    public static inline var SAVE_AS = "Save As...";
    public static inline var PUBLISH = "Publish...";
    public static inline var HELP = "Help";
    public static inline var TIP_NEW = "New banner (Ctrl+N)";
    public static inline var TIP_OPEN = "Open a project (Ctrl+O)";
    public static inline var TIP_SAVE = "Save the project (Ctrl+S)";
    public static inline var TIP_SAVE_AS = "Save under a new name (Ctrl+Shift+S)";
    public static inline var TIP_PUBLISH = "Publish the banner for the web (Ctrl+P)";
    public static inline var TIP_HELP = "Open the help (F1)";
    public static inline var TIP_MINIMIZE = "Minimize";
    public static inline var TIP_MAXIMIZE = "Maximize";
    public static inline var TIP_RESTORE = "Restore";
    public static inline var TIP_CLOSE = "Close";

    // Properties panel
    public static inline var STEP_SIZE = "Banner size";
    public static inline var PRESET_MEDIUM = "300 x 250";
    public static inline var PRESET_LEADERBOARD = "728 x 90";
    public static inline var PRESET_SKYSCRAPER = "160 x 600";
    public static inline var PRESET_CUSTOM = "Custom";
    public static inline var WIDTH = "Width";
    public static inline var HEIGHT = "Height";
    public static inline var PIXELS = "px";
    public static inline var STEP_IMAGE = "Image";
    public static inline var CHOOSE_IMAGE = "Choose image...";
    public static inline var REMOVE_IMAGE = "Remove";
    public static inline var NO_IMAGE = "No image chosen yet.";
    public static inline var HEADLINE = "Headline";
    public static inline var LINK = "Link (web address opened on click)";
    public static inline var STEP_EFFECT = "Entrance effect";
    public static inline var EFFECT_NONE = "None";
    public static inline var EFFECT_FADE = "Fade";
    public static inline var EFFECT_SLIDE = "Slide";
    public static inline var EFFECT_ZOOM = "Zoom";
    public static inline var STEP_PUBLISH = "When the banner is ready, save the project and publish it.";
    public static inline var TAB_BANNER = "1. Banner";
    public static inline var TAB_TEXT = "2. Headline and link";
    public static inline var BACKGROUND = "Background colour";
    public static inline var FIT = "Fit";
    public static inline var FIT_COVER = "Fill";
    public static inline var FIT_CONTAIN = "Fit inside";
    public static inline var FIT_STRETCH = "Stretch";
    public static inline var TEXT_COLOUR = "Colour";
    public static inline var TEXT_SIZE = "Size";
    public static inline var BOLD = "Bold";
    public static inline var ALIGN = "Align";
    public static inline var ALIGN_LEFT = "Left";
    public static inline var ALIGN_CENTER = "Centre";
    public static inline var ALIGN_RIGHT = "Right";
    public static inline var POSITION = "Place";
    public static inline var VALIGN_TOP = "Top";
    public static inline var VALIGN_MIDDLE = "Middle";
    public static inline var VALIGN_BOTTOM = "Bottom";
    public static inline var DURATION = "Duration";
    public static inline var MILLISECONDS = "ms";
    public static inline var LINK_REFUSED = "Only links starting with http:, https: or mailto: are used; this one is not.";
    public static inline var LINK_HINT = "The page opens in a new window when the banner is clicked.";
    public static inline var BAD_COLOUR = "Colours are written as # and six hexadecimal digits, for example #1E3A5F.";
    public static inline var FONT_LIMITS = "The text size must be between %s and %s.";
    public static inline var DURATION_LIMITS = "The duration must be between 0 and %s milliseconds.";

    // Preview
    public static inline var PREVIEW = "Preview";
    public static inline var REPLAY = "Play effect";
    public static inline var PREVIEW_SIZE = "%s x %s px   Shown at %s%";
    public static inline var IMAGE_LOADING = "Loading the image...";
    public static inline var IMAGE_FAILED = "The image could not be shown.";

    // Publish panel
    public static inline var PUBLISH_TITLE = "Publish the banner";
    public static inline var PUBLISH_INTRO = "The banner is written into a folder named after the movie, inside the output folder.";
    public static inline var OUTPUT_FOLDER = "Output folder";
    public static inline var BROWSE = "Browse...";
    public static inline var MOVIE_NAME = "Movie file";
    public static inline var PAGE_NAME = "Web page";
    public static inline var XML_NAME = "Banner data file";
    public static inline var WHAT_TO_WRITE = "What to write";
    public static inline var MOVIE_ONLY = "Movie only";
    public static inline var MOVIE_AND_PAGES = "Movie and web pages";
    public static inline var PAGE_KIND = "How the pages show the movie";
    public static inline var PAGES_EMBED = "Embedded directly";
    public static inline var PAGES_SCRIPT = "With a script (swfobject.js)";
    public static inline var EXTRAS = "Player and HTML5 ad";
    public static inline var PLAYER_BUNDLED = "Ruffle beside the pages";
    public static inline var PLAYER_NONE = "No player";
    public static inline var HTML5_AD = "HTML5 ad, zip and backup image";
    public static inline var PREVIEW_IN_BROWSER = "Preview in browser";
    public static inline var PREVIEWING = "Opening the preview in the browser...";
    public static inline var PREVIEW_OK = "The preview was opened in the browser.";
    public static inline var DO_PUBLISH = "Publish";
    public static inline var OPEN_FOLDER = "Open output folder";
    public static inline var CLOSE = "Close";
    public static inline var PUBLISHING = "Publishing...";
    public static inline var PUBLISH_OK = "Done. The banner was published to %s";
    public static inline var PUBLISH_USER_CANCEL = "Publishing was cancelled: the existing folder was left as it was.";
    public static inline var PUBLISH_CREATE_DIR_FAILED = "The output folder could not be created. Choose another folder or other file names.";
    public static inline var PUBLISH_NO_CONTENT = "The banner could not be handed over for publishing. Please try again.";
    public static inline var PUBLISH_UNKNOWN = "Publishing did not finish (answer: %s).";
    public static inline var PUBLISH_NEED_FOLDER = "Choose an output folder first.";
    public static inline var PUBLISH_BAD_NAME = "File names must not contain / or \\ or start with a dot: %s";

    // Questions and messages
    public static inline var ASK_SAVE_TITLE = "Unsaved changes";
    public static inline var ASK_SAVE = "The banner \"%s\" has changes that are not saved.\nDo you want to save them first?";
    public static inline var YES_SAVE = "Save";
    public static inline var NO_DISCARD = "Don't save";
    public static inline var CANCEL = "Cancel";
    public static inline var OK = "OK";
    public static inline var ERROR_TITLE = "Pennoria";
    public static inline var SAVE_FAILED = "The project could not be saved to this place.";
    public static inline var OPEN_FAILED = "The project file could not be read:\n%s\n\nThe banner in the editor is kept as a new, unsaved project.";
    public static inline var NOT_A_PROJECT = "This file is not a banner project:\n%s\n\nThe banner in the editor is kept as a new, unsaved project.";

    // Status line
    public static inline var READY = "Ready. Choose a size and an image to start your banner.";
    public static inline var STATUS_NEW = "New banner started.";
    public static inline var STATUS_OPENING = "Opening %s ...";
    public static inline var STATUS_OPENED = "Opened %s";
    public static inline var STATUS_SAVED = "Saved to %s";
    public static inline var STATUS_SAVE_CANCELLED = "Not saved.";
    public static inline var STATUS_NO_HOST = "The editor runs without its host program: commands are not available.";
    public static inline var SIZE_LIMITS = "Width and height must be between %s and %s pixels.";

    // Canvas and timeline
    public static inline var PLAY = "Play";
    public static inline var PAUSE = "Pause";
    public static inline var TIP_PLAY = "Play the banner as it will run";
    public static inline var TIP_PAUSE = "Stop on the moment shown";
    public static inline var SECONDS = "%s s";
    public static inline var UNDO_MOVE = "Move";
    public static inline var UNDO_RESIZE = "Resize";
    public static inline var UNDO_NUDGE = "Nudge";
    public static inline var UNDO_TIMING = "Entrance delay";

    // File dialog filters (description and pattern pairs, each ended by a vertical bar, the whole by two)
    public static inline var PROJECT_FILTER = "Banner Project File(*.pbf;*.xml)|*.pbf;*.xml||";
    public static inline var IMAGE_FILTER = "Images (*.png;*.jpg;*.jpeg;*.gif)|*.png;*.jpg;*.jpeg;*.gif|All files (*.*)|*.*||";

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
