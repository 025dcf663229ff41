// The chat's link to the Orvane control.  Every call the page makes to the
// control is in this file, so that a host that offers the control in another
// way only has to supply the object quiboFindControl returns.
var quiboControl = null;

function quiboFindControl()
{
	if (window.OrvaneControl) {
		return window.OrvaneControl;
	}
	try {
		return new ActiveXObject("ORVANE.OrvaneCtrl.1");
	} catch (e) {
		return null;
	}
}

function quiboStart()
{
	quiboCustom();
	quiboControl = quiboFindControl();
	if (!quiboControl) {
		// Where the control was looked for: the host that serves the page,
		// then an installed ActiveX control.
		quiboNotice("Orvane が見つかりません。" + (location.protocol === "http:" ?
			"このページを配信するサーバーにも、この PC にも（ORVANE.OrvaneCtrl.1）ありませんでした。" :
			"ファイルとして開いたページには orvane-host が Orvane を渡せません。orvane-host --serve が配信するアドレスで開いてください。"),
			orvane_download_url);
		return;
	}
	if (!quiboControl.Iinitialize(new URL(quibo_pdata_name, document.location.href).href)) {
		// The control's reason, when it gives one: a download that failed
		// gives none.
		var reason = quiboControl.IgetErrorMessage();
		quiboControl.IfreeErrorBstr();
		quiboControl = null;
		quiboNotice(reason ? reason : "知識ファイルを読み込めませんでした。", "");
		return;
	}
	quiboShowReply();
}

function quiboSend()
{
	var text = quiboTakeInput();
	// Blanks alone ask nothing.
	if (text.trim() === "" || !quiboControl) {
		return;
	}
	quiboControl.IsetUserQuestion(text);
	quiboShowReply();
}

// A control that no longer answers (its host ended it after a long pause,
// or the host itself is gone) answers null: the visitor is told once, and
// later questions are not sent.
function quiboShowReply()
{
	var reply = quiboControl.IgetReplyInfo();
	quiboControl.IfreeReplyBstr();
	if (reply === null || reply === undefined) {
		quiboControl = null;
		quiboNotice("チャットが終了しました。ページを読み込み直してください。", "");
		return;
	}
	quiboShow("quibo-output", reply);
}
