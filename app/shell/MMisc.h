#pragma once

#include <memory>

#include <QString>

namespace zentrel {
class CLog;
} // namespace zentrel

// Helpers shared by the program's pages and dialogs. The collection commands are in
// app/collect/MMisc.h, the row icon key in app/keywords/MMisc.h.
namespace MMisc {

// A message box; an empty title gives the product name. Returns the button code.
int ShowMsg(const QString& prompt, int buttons = 0, const QString& title = {});
// An input box; returns what was typed, empty on Cancel.
QString AskInput(const QString& prompt, const QString& title = {}, const QString& defaultText = {});
// The clipboard's text as one keyword per line; empty when it holds no text.
QString GetClipboardKWs();
// Free text as one keyword per line (CR LF between lines).
QString NormalizeKWList(const QString& text);
// The page number of a tab key, 0 for a key that is not one.
int PageIndexFromKey(const QString& key);
// Defined in MMiscSearch.cpp, with the table of search engines.
// "+", CR, LF and backslash escaped for a URL.
QString EscapeURLPart(const QString& text);
// Opens search engine se's (1 to 7) result page for kw in the browser; errors go to the log.
void OpenSERForKW(const QString& kw, int se, const std::shared_ptr<zentrel::CLog>& log);

} // namespace MMisc
