// The editor's short questions and messages: the unsaved-changes question and plain messages.
package dialogs;

import ui.Modal;

class Questions {
    public static function message(title:String, text:String, close:Modal->Void):Modal {
        var m = Modal.message(title, text, [{id: "message.ok", label: Strings.OK, action: null}], close);
        m.name = "message";
        m.onEscape = function() close(m);
        return m;
    }

    /** Save, Don't save or Cancel; Escape cancels. */
    public static function askSave(projectName:String, save:Void->Void, discard:Void->Void, close:Modal->Void):Modal {
        var m = Modal.message(Strings.ASK_SAVE_TITLE, Strings.format(Strings.ASK_SAVE, [projectName]), [
            {id: "askSave.save", label: Strings.YES_SAVE, action: save},
            {id: "askSave.discard", label: Strings.NO_DISCARD, action: discard},
            {id: "askSave.cancel", label: Strings.CANCEL, action: null}
        ], close);
        m.name = "askSave";
        m.onEscape = function() close(m);
        return m;
    }

    /** Recover or Discard the work an ended run left behind; Escape decides later (next start). */
    public static function askRecover(recover:Void->Void, discard:Void->Void, close:Modal->Void):Modal {
        var m = Modal.message(Strings.RECOVER_TITLE, Strings.RECOVER_QUESTION, [
            {id: "recover.recover", label: Strings.RECOVER, action: recover},
            {id: "recover.discard", label: Strings.DISCARD, action: discard}
        ], close);
        m.name = "recover";
        m.onEscape = function() close(m);
        return m;
    }
}
