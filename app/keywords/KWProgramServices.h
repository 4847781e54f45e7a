#pragma once

#include <memory>

#include "app/keywords/KWServices.h"

namespace zentrel {
class CLog;
}

// The keyword pages' services as the program gives them: the shell's boxes and dialogs, the
// registry, the program's temporary folder, files, the clipboard and the desktop's browser
// (or the command in QUINTARA_BROWSER).
class KWProgramServices final : public KWServices {
public:
    explicit KWProgramServices(std::shared_ptr<zentrel::CLog> log);

    void Write(std::int32_t number, const QString& text, int level, const QString& source) override;
    int ShowMsg(const QString& prompt, int style, const QString& title = {}) override;
    QString AskInput(const QString& prompt, const QString& title = {},
                     const QString& defaultText = {}) override;
    int ExecDialog(QDialog& dialog) override;
    bool ShowSingleTimeMsg(QWidget* owner, const QString& text) override;
    QString SaveFileName(QWidget* parent, const QString& filter) override;
    QString TempFileName(const QString& prefix, const QString& extension) override;
    void WriteFile(const QString& path, const QString& text) override;
    void OpenInBrowser(const QString& path, const QString& source) override;
    void SetClipboardText(const QString& text) override;
    bool ReadString(const QString& key, const QString& name, QString& value) override;
    void WriteString(const QString& key, const QString& name, const QString& value) override;
    bool ReadLong(const QString& key, const QString& name, std::int32_t& value) override;
    void WriteLong(const QString& key, const QString& name, std::int32_t value) override;

    const std::shared_ptr<zentrel::CLog>& log() const { return m_log; }

private:
    std::shared_ptr<zentrel::CLog> m_log;
};
