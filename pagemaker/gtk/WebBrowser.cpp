#include "pagemaker/gtk/WebBrowser.h"

namespace quibo::pagemaker {

WebBrowser::WebBrowser() : m_view(WEBKIT_WEB_VIEW(webkit_web_view_new()))
{
    // The page's own menu would offer navigation the dialogs keep away.
    g_signal_connect(m_view, "context-menu", G_CALLBACK(+[](WebKitWebView*, WebKitContextMenu*, GdkEvent*,
                                                             WebKitHitTestResult*, gpointer) { return TRUE; }),
                     nullptr);
}

void WebBrowser::navigate(const std::string& path)
{
    if (path.rfind("http://", 0) == 0) {
        webkit_web_view_load_uri(m_view, path.c_str());
        return;
    }
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    if (uri != nullptr) {
        webkit_web_view_load_uri(m_view, uri);
        g_free(uri);
    }
}

void WebBrowser::runScript(const std::string& script)
{
    webkit_web_view_evaluate_javascript(m_view, script.c_str(), -1, nullptr, nullptr, nullptr, nullptr, nullptr);
}

bool WebBrowser::composing() const
{
    WebKitInputMethodContext* context = webkit_web_view_get_input_method_context(m_view);
    if (context == nullptr) {
        return false;
    }
    gchar* preedit = nullptr;
    webkit_input_method_context_get_preedit(context, &preedit, nullptr, nullptr);
    const bool held = preedit != nullptr && preedit[0] != '\0';
    g_free(preedit);
    return held;
}

Key keyOf(const GdkEventKey* event)
{
    switch (event->keyval) {
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter:
        return Key::Enter;
    case GDK_KEY_Control_L:
    case GDK_KEY_Control_R:
        return Key::Control;
    case GDK_KEY_Escape:
        return Key::Escape;
    case GDK_KEY_a: case GDK_KEY_A: case GDK_KEY_c: case GDK_KEY_C: case GDK_KEY_v:
    case GDK_KEY_V: case GDK_KEY_x: case GDK_KEY_X: case GDK_KEY_z: case GDK_KEY_Z:
        return Key::EditLetter;
    default:
        return Key::Other;
    }
}

}  // namespace quibo::pagemaker
