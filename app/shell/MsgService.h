#pragma once

#include <QList>
#include <QString>

class QWidget;

// Every message box, input box, one-time message and file dialog of the program goes through
// here, so that tests can answer them (MsgScript).
class MsgService {
public:
    // Button codes returned by message boxes.
    enum Button { OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };
    // Styles: the low four bits choose the buttons, 0x10..0x40 the icon.
    enum Style {
        OKOnly = 0,
        OKCancel = 1,
        AbortRetryIgnore = 2,
        YesNoCancel = 3,
        YesNo = 4,
        RetryCancel = 5,
        Critical = 16,
        Question = 32,
        Exclamation = 48,
        Information = 64
    };

    enum class Kind { Message, Input, OpenFile, SaveFile, SingleTime };

    // One box as it was asked for.
    struct Request {
        Kind kind = Kind::Message;
        QString prompt;
        QString title;
        int style = 0;
        QString defaultText;
        QString filter;
        QString folder;
    };

    // Answers the boxes instead of the user while it is installed.
    class Answerer {
    public:
        virtual ~Answerer() = default;
        virtual int messageAnswer(const Request& request) = 0;
        virtual QString inputAnswer(const Request& request) = 0;
        virtual QString fileAnswer(const Request& request) = 0;
        virtual bool singleTimeAnswer(const Request& request) = 0;
    };
    // Installs the answerer (none: the user answers) and returns the one it replaces.
    static Answerer* exchangeAnswerer(Answerer* answerer);

    // Shows a message box; an empty title gives the product name. Returns the button code.
    static int showMsg(QWidget* parent, const QString& prompt, int style,
                       const QString& title = {});
    // Shows an input box; returns what was typed, empty on Cancel.
    static QString askInput(QWidget* parent, const QString& prompt, const QString& title = {},
                            const QString& defaultText = {});
    // File dialog to open a file. The name need not exist; no overwrite question is asked.
    // filter is "Description (*.ext)|*.ext"; returns the chosen path, empty on Cancel.
    static QString openFileName(QWidget* parent, const QString& title, const QString& filter,
                                const QString& folder);
    // File dialog to save a file; returns the chosen path, empty on Cancel. A name typed without
    // an extension gets the filter's.
    static QString saveFileName(QWidget* parent, const QString& title, const QString& filter,
                                const QString& folder = {});
    // The one-time message form; returns whether "do not show again" was ticked.
    static bool showSingleTime(QWidget* owner, const QString& text);

    // The buttons of a style, in the order shown.
    static QList<int> buttonsOf(int style);
    // What Esc and the close box give: Cancel, else No, else Abort, else OK.
    static int escapeButton(int style);
    // "Description (*.ext)|*.ext|..." as a Qt name filter list.
    static QString qtFilter(const QString& filter);
    static QString titleOrDefault(const QString& title);
    // The extension of a filter's first "*.ext" pattern; empty when it has none.
    static QString defaultSuffix(const QString& filter);
    // The path with the filter's extension added when its name has none of its own.
    static QString withDefaultSuffix(const QString& path, const QString& filter);

private:
    static Answerer*& current();
};
