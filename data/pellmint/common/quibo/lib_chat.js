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
		quiboNotice("Orvane が見つかりません。", orvane_download_url);
		return;
	}
	quiboControl.Iinitialize(new URL(quibo_pdata_name, document.location.href).href);
	quiboShow("quibo-output", quiboControl.IgetReplyInfo());
	quiboControl.IfreeReplyBstr();
}

function quiboSend()
{
	var text = quiboTakeInput();
	if (text === "" || !quiboControl) {
		return;
	}
	quiboControl.IsetUserQuestion(text);
	var reply = quiboControl.IgetReplyInfo();
	quiboControl.IfreeReplyBstr();
	quiboShow("quibo-output", reply);
}
