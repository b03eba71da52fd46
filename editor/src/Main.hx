// The editor movie's entry point: stage set-up, FlashVars, and the editor itself.
import flash.Lib;
import flash.display.StageAlign;
import flash.display.StageScaleMode;

class Main {
    static function main() {
        var root = Lib.current;
        var stage = root.stage;
        stage.scaleMode = StageScaleMode.NO_SCALE;
        stage.align = StageAlign.TOP_LEFT;
        stage.showDefaultContextMenu = false;

        var vars:Dynamic = root.loaderInfo.parameters;
        var testMode = Reflect.field(vars, "testMode") == "1";
        var localFiles:Dynamic = Reflect.field(vars, "localFiles");
        if (localFiles != null)
            LocalFiles.prefix = Std.string(localFiles);

        // The host passes the language it chose (its setting, else the user's locale).
        Strings.setLanguage(Std.string(Reflect.field(vars, "lang")));
        var editor = new Editor(new HostLink());
        root.addChild(editor);
        editor.start(stage, testMode);
    }
}
