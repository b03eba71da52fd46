// A small movie that stands in for the editor: it talks to the host the way the editor does.
import flash.external.ExternalInterface;
import flash.text.TextField;
import flash.text.TextFormat;

class Main {
	static var log:TextField;

	static function main() {
		log = new TextField();
		log.defaultTextFormat = new TextFormat("_sans", 14, 0x202020);
		log.width = flash.Lib.current.stage.stageWidth;
		log.height = flash.Lib.current.stage.stageHeight;
		log.multiline = true;
		log.wordWrap = true;
		flash.Lib.current.addChild(log);
		show("Player test movie \u2713");

		// The three functions the host calls.
		ExternalInterface.addCallback("SettingOutputFilesVC", function(folder:String, swf:String, html:String) {
			show("output settings: " + folder + " | " + swf + " | " + html);
		});
		ExternalInterface.addCallback("GetProjectFileXmlDataVC", function(kind:String):String {
			return '<project kind="' + kind + '"><title>a &amp; b < c</title>line1\\nline2 \u00e9\u65e5</project>';
		});
		ExternalInterface.addCallback("ControlAppWindowVC", function(word:String):Dynamic {
			var command = switch (word) {
				case "minimizeAppButton": "MinimizeApplicationVC";
				case "maximizeAppButton": "MaximizeApplicationVC";
				case "restoreAppButton": "RestoreApplicationVC";
				case "closeAppButton": "ExitApplicationVC";
				default: null;
			}
			return command == null ? null : ExternalInterface.call(command);
		});

		// Helpers the tests drive: make a request with arguments of every kind, echo arguments back,
		// save (the host fetches the project text while the request is outstanding), fail.
		ExternalInterface.addCallback("TestCallVC", function(name:String, kind:String):Dynamic {
			return switch (kind) {
				case "none": ExternalInterface.call(name);
				case "kinds": ExternalInterface.call(name, "a<&>\"' \u00e9", 5, -1.5, true, false, null, [1, "x", [true]], {k: "v"});
				default: ExternalInterface.call(name, kind);
			}
		});
		ExternalInterface.addCallback("EchoVC", function(a:Dynamic, b:Dynamic, c:Dynamic):Dynamic {
			return [a, b, c];
		});
		ExternalInterface.addCallback("TimeCallsVC", function(name:String, count:Int):Int {
			var start = flash.Lib.getTimer();
			for (i in 0...count)
				ExternalInterface.call(name);
			return flash.Lib.getTimer() - start;
		});
		ExternalInterface.addCallback("ThrowVC", function():Dynamic {
			throw "ThrowVC fails on purpose";
		});

		// What the editor does first: ask for the file given on the command line.
		var first:Dynamic = ExternalInterface.call("GetOutputFielsInfoVC");
		show("GetOutputFielsInfoVC: " + first);
	}

	static function show(line:String) {
		log.appendText(line + "\n");
	}
}
