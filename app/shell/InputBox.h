#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

// The standard input box: a prompt shown as plain text, one line of input, OK and Cancel.
class InputBox final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(InputBox)

public:
    explicit InputBox(QWidget* parent = nullptr);

    void init(const QString& title, const QString& prompt, const QString& defaultText);
    QString value() const;

    QLabel* lblPrompt() const { return m_lblPrompt; }
    QLineEdit* txtValue() const { return m_txtValue; }

private:
    QLabel* m_lblPrompt;
    QLineEdit* m_txtValue;
};
