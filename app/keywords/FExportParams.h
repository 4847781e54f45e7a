#pragma once

#include <array>

#include <QDialog>

#include "app/keywords/KWExportTable.h"
#include "app/keywords/KWExportText.h"

class KWLog;
class KWServices;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TextLinesView;

// "Export Options": columns, delimiter, qualifier and field names for an export, with a preview of
// the exact text, Copy and the HTML report. The choices are kept under "Export Keywords\".
class FExportParams final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FExportParams)

public:
    // Reads the stored settings.
    FExportParams(KWServices* services, QWidget* parent = nullptr);
    // Writes the settings.
    ~FExportParams() override;

    void init(KWExportTable table, KWLog* log, const QString& projectFileName);
    // What showing the dialog does: OK not yet pressed, the preview built from the table.
    void activate();
    bool OKPressed() const { return m_okPressed; }
    // The exported text as it will be saved.
    const QString& PreviewText() const { return m_preview; }

    QString Delimiter() const;
    KWExportText::Options options() const;
    static QString SettingsKey();

    // Writes the report to a new temporary file, opens it and returns its path.
    QString Report();
    void Copy();

    QCheckBox* chkKW() const { return m_chkKW; }
    QCheckBox* chkSearchs() const { return m_chkSearchs; }
    QCheckBox* chkRelevancy() const { return m_chkRelevancy; }
    QCheckBox* chkScore() const { return m_chkScore; }
    QCheckBox* chkFieldNames() const { return m_chkFieldNames; }
    QRadioButton* optDel(int index) const { return m_optDel[static_cast<std::size_t>(index)]; }
    QLineEdit* txtCustomDelimiter() const { return m_txtCustomDelimiter; }
    QComboBox* cboTextQualifier() const { return m_cboTextQualifier; }
    TextLinesView* txtPreview() const { return m_txtPreview; }
    QPushButton* cmdOK() const { return m_cmdOK; }

    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    QLayout* buildColumnsBox();
    QLayout* buildDelimiterBox();
    void connectControls();
    void RefreshPreview();
    void readSettings();
    void writeSettings();
    void readBool(const QString& name, QCheckBox* box);
    void writeBool(const QString& name, const QCheckBox* box);

    KWServices* m_services;
    KWLog* m_log = nullptr;
    KWExportTable m_table;
    QString m_projectFileName;
    QString m_preview;
    bool m_okPressed = false;
    bool m_loading = false;
    bool m_active = false;

    QCheckBox* m_chkKW = nullptr;
    QCheckBox* m_chkSearchs = nullptr;
    QCheckBox* m_chkRelevancy = nullptr;
    QCheckBox* m_chkScore = nullptr;
    QCheckBox* m_chkFieldNames = nullptr;
    std::array<QRadioButton*, 5> m_optDel{};
    QLineEdit* m_txtCustomDelimiter = nullptr;
    QComboBox* m_cboTextQualifier = nullptr;
    TextLinesView* m_txtPreview = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    QPushButton* m_cmdCopy = nullptr;
    QPushButton* m_cmdReport = nullptr;
};
