// The chat's link to a QUIBO chat server (server mode): the question goes to
// the server's servlet with the chat's name, and the answer comes back as
// plain text.  The server itself is not part of this package.
function quiboStart()
{
	quiboCustom();
}

function quiboSend()
{
	var text = quiboTakeInput();
	// Blanks alone ask nothing.
	if (text.trim() === "") {
		return;
	}
	var request = new XMLHttpRequest();
	request.open("POST", "http://" + quibo_server_name + quibo_servlet_name, true);
	request.setRequestHeader("Content-Type", "application/x-www-form-urlencoded; charset=UTF-8");
	request.onload = function () {
		quiboShow("quibo-output", request.responseText);
	};
	request.onerror = function () {
		quiboNotice("サーバーに接続できません。", "");
	};
	request.send("chat=" + encodeURIComponent(quibo_chat_name) + "&question=" + encodeURIComponent(text));
}
