// Loaded before ruffle.js. The player's WebAssembly is published gzip-compressed (a third of
// its size) as "<name>.wasm.gz": plain web hosting sends files as they are, so the page
// unpacks it itself. A request for a ".wasm" fetches the ".gz" beside it and is
// answered with the module's bytes. A server that decodes ".gz" on the way (Content-Encoding:
// gzip) hands over the module already: the first bytes tell which, not the headers.
(function () {
    "use strict";
    if (typeof window.fetch !== "function" || window.fetch.playerWasmFetch)
        return;
    var message = "This banner's player needs a browser that can unpack its files: " +
        "Chrome or Edge 80, Firefox 113, Safari 16.4 or later.";
    var unpacks = typeof DecompressionStream === "function";
    if (!unpacks)
        console.error(message);
    var original = window.fetch;

    function wasmAddress(input) {
        if (typeof Request === "function" && input instanceof Request)
            input = input.url;
        var address;
        try {
            address = new URL(String(input), location.href);
        } catch (error) {
            return null;
        }
        address.hash = "";
        // Any player folder's module, not only this script's: a page may load the player from
        // another folder than the one this script came from (a second copy loaded first wins).
        return /\.wasm$/.test(address.pathname) ? address : null;
    }

    // The body with its first chunks read ahead, to look at its first two bytes.
    function unpacked(response) {
        var reader = response.body.getReader();
        var ahead = [];
        var length = 0;
        function first(index) {
            var chunk = ahead[0];
            return index < chunk.length ? chunk[index] : ahead[1][index - chunk.length];
        }
        function readAhead() {
            return reader.read().then(function (part) {
                if (!part.done) {
                    if (part.value.length) {
                        ahead.push(part.value);
                        length += part.value.length;
                    }
                    if (length < 2)
                        return readAhead();
                }
                return part.done && length < 2;
            });
        }
        return readAhead().then(function (ended) {
            var body = new ReadableStream({
                start: function (controller) {
                    ahead.forEach(function (chunk) { controller.enqueue(chunk); });
                },
                pull: function (controller) {
                    return reader.read().then(function (part) {
                        if (part.done)
                            controller.close();
                        else
                            controller.enqueue(part.value);
                    });
                },
                cancel: function (reason) { return reader.cancel(reason); }
            });
            if (ended) {
                // Too short for either: let the player report what it got.
                return body;
            }
            return first(0) === 0x1f && first(1) === 0x8b
                ? body.pipeThrough(new DecompressionStream("gzip"))
                : body;
        });
    }

    function playerFetch(input, init) {
        var address = wasmAddress(input);
        if (!address)
            return original.apply(this, arguments);
        if (!unpacks)
            return Promise.reject(new Error(message));
        var self = this;
        return original.call(this, address.href + ".gz", init).then(function (response) {
            // A folder uploaded without the compressed copies still plays from the module.
            if (response.status === 404)
                return original.call(self, input, init);
            if (!response.ok || !response.body)
                return response;
            return unpacked(response).then(function (body) {
                return new Response(body, {
                    status: 200,
                    statusText: "OK",
                    headers: { "Content-Type": "application/wasm" }
                });
            });
        });
    }
    playerFetch.playerWasmFetch = true;
    window.fetch = playerFetch;
})();
