#pragma once

#include <memory>
#include <vector>

#include <QDialog>
#include <QString>

#include "app/feedback/CL.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace zentrel {
class CAttributes;
class CLog;
} // namespace zentrel

// The family of feedback forms: checks that the fields are filled, sends them with the log under
// the form's category, and says whether that worked. Send stays disabled while a record is on
// its way; closing the form then cancels the send.
class FeedbackForm : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FeedbackForm)

public:
    void init(std::shared_ptr<zentrel::CLog> Log);

    // A text box by its control name ("txtName", "txtEmail", ...); null when there is none.
    QWidget* textBox(const QString& name) const;
    void setText(const QString& name, const QString& text);
    QString text(const QString& name) const;
    QCheckBox* chkAgree() const { return m_chkAgree; }
    QPushButton* cmdSend() const { return m_cmdSend; }
    QPushButton* cmdCancel() const { return m_cmdCancel; }
    CL& transport() { return m_transport; }

    void cmdSend_Click();
    void cmdCancel_Click();

protected:
    struct Field {
        const char* control;
        const char* label;
        const char* key; // the attribute's name
        int emptyMessage;
        bool multiLine;
    };
    struct Description {
        const char* typeName;
        const char* caption;
        const char* category;
        QString invitation;
        std::vector<Field> fields;
        int successMessage;
        int failureMessage;
        bool consent; // the testimonial's "agreed" box
    };

    FeedbackForm(Description description, QWidget* parent);

    void paintEvent(QPaintEvent* event) override;
    void reject() override;

private:
    struct Box {
        Field field;
        QWidget* widget;
    };

    void buildControls();
    zentrel::CAttributes buildRecord() const;
    void reportFailure(const QString& reason);

    Description m_description;
    std::shared_ptr<zentrel::CLog> m_log;
    std::vector<Box> m_boxes;
    QCheckBox* m_chkAgree = nullptr;
    QPushButton* m_cmdSend = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    CL m_transport;
    bool m_closeAfterSend = false;
};
