// The Orvane control of a page that orvane-host serves.  No browser here
// hosts the native control inside the page, so the host keeps a control for
// each page, and this object carries the control's eight methods to it.
// lib_chat.js finds it as window.OrvaneControl and calls it as it calls the
// native control: each method returns its result when the host has
// answered, and a method with a text result answers null when the host
// refused the call or could not be reached.  Elsewhere (a page opened from
// a file, or a chat server's page) window.OrvaneControl is null and nothing
// is sent.
(function () {
	var control;

	// The request's answer, or null when it failed; a refusal's text is
	// kept in refused.
	var refused = "";
	function post(path, handle, text) {
		var request = new XMLHttpRequest();
		request.open("POST", "/orvane/" + path, false);
		request.setRequestHeader("Content-Type", "text/plain; charset=UTF-8");
		if (handle) {
			request.setRequestHeader("X-Orvane-Handle", handle);
		}
		try {
			request.send(text === undefined || text === null ? "" : String(text));
		} catch (e) {
			return null;
		}
		refused = request.status === 200 ? "" : request.responseText;
		return request.status === 200 ? request.responseText : null;
	}

	// A host that has no control free for the page says so; the page's
	// start then fails with that text, as a control's failed start does.
	function busy(text) {
		function nothing() {}
		return {
			Iinitialize: function () { return 0; },
			IsetUserQuestion: nothing,
			IgetReplyInfo: function () { return null; },
			IfreeReplyBstr: nothing,
			IgetErrorMessage: function () { return text; },
			IfreeErrorBstr: nothing,
			IgetExtensionInfo: function () { return null; },
			IfreeExtensionInfo: nothing
		};
	}

	function create() {
		if (location.protocol !== "http:") {
			return null;
		}
		var handle = post("create");
		if (handle === null) {
			return refused ? busy(refused) : null;
		}
		// The page's control ends with the page, as a native one would.
		window.addEventListener("pagehide", function (event) {
			if (!event.persisted) {
				fetch("/orvane/release", {method: "POST", keepalive: true, headers: {"X-Orvane-Handle": handle}});
			}
		});
		function text(method) {
			return function (argument) {
				return post(method, handle, argument);
			};
		}
		function none(method) {
			return function (argument) {
				post(method, handle, argument);
			};
		}
		return {
			Iinitialize: function (url) {
				return post("Iinitialize", handle, url) === "1" ? 1 : 0;
			},
			IsetUserQuestion: none("IsetUserQuestion"),
			IgetReplyInfo: text("IgetReplyInfo"),
			IfreeReplyBstr: none("IfreeReplyBstr"),
			IgetErrorMessage: text("IgetErrorMessage"),
			IfreeErrorBstr: none("IfreeErrorBstr"),
			IgetExtensionInfo: text("IgetExtensionInfo"),
			IfreeExtensionInfo: none("IfreeExtensionInfo")
		};
	}

	Object.defineProperty(window, "OrvaneControl", {
		configurable: true,
		get: function () {
			if (control === undefined) {
				control = create();
			}
			return control;
		}
	});
})();
