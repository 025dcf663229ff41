// The page's side of the chat: the text styles and the chat log.  Every
// call to the control, or to the chat server, is in lib_chat.js.

// Face and colour of the visitor's text ("quibo-input") and of the replies
// ("quibo-output"), which custom.js sets through quiboCustom.
var quiboStyles = {};

function quiboSetStyle(name, property, value)
{
	quiboStyles[name] = quiboStyles[name] || {};
	quiboStyles[name][property] = value;
	var css = "";
	for (var n in quiboStyles) {
		css += "." + n + " {";
		for (var p in quiboStyles[n]) {
			css += p + ": " + quiboStyles[n][p] + ";";
		}
		css += "}\n";
	}
	document.getElementById("quibo-style").textContent = css;
}

function changeQuiboFont(name, face)
{
	quiboSetStyle(name, "font-family", face + ", sans-serif");
}

function changeQuiboColor(name, colour)
{
	quiboSetStyle(name, "color", colour);
}

// Chat texts are always inserted as text, never as markup.
function quiboShow(kind, text)
{
	var line = document.createElement("div");
	line.className = kind;
	line.textContent = text;
	var log = document.getElementById("quibo-log");
	log.appendChild(line);
	log.scrollTop = log.scrollHeight;
}

function quiboNotice(text, link)
{
	quiboShow("quibo-notice", text);
	if (link) {
		var a = document.createElement("a");
		a.href = link;
		a.textContent = link;
		document.getElementById("quibo-log").lastChild.appendChild(document.createElement("br"));
		document.getElementById("quibo-log").lastChild.appendChild(a);
	}
}

function quiboTakeInput()
{
	var input = document.getElementById("quibo-text");
	var text = input.value;
	input.value = "";
	if (text !== "") {
		quiboShow("quibo-input", text);
	}
	return text;
}
