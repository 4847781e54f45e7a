#include "app/feedback/cZip.h"

#include "app/feedback/mZip.h"

cZip::cZip(QObject* parent)
    : QObject(parent)
{
    setStoreDirectories(false);
    setStoreFolderNames(false);
    setRecurseSubDirs(false);
}

int cZip::MessageLevel() const
{
    if (m_options.fVerbose == 1)
        return 0;
    if (m_options.fQuiet == 1)
        return 1;
    return 2;
}

void cZip::setMessageLevel(int level)
{
    switch (level) {
    case 0:
        m_options.fVerbose = 1;
        m_options.fQuiet = 0;
        break;
    case 1:
        m_options.fVerbose = 0;
        m_options.fQuiet = 1;
        break;
    case 2:
        m_options.fVerbose = 0;
        m_options.fQuiet = 0;
        break;
    default:
        break;
    }
}

int cZip::AddFileSpec(const QString& sSpec)
{
    m_specs.append(sSpec);
    return FileSpecCount();
}

QString cZip::FileSpec(int nIndex) const
{
    return m_specs.value(nIndex - 1);
}

bool cZip::Zip()
{
    return run();
}

bool cZip::Delete()
{
    m_options.fDeleteEntries = 1;
    const bool result = run();
    m_options.fDeleteEntries = 0;
    return result;
}

bool cZip::run()
{
    m_lastError.clear();
    const mZip::Callbacks callbacks{
        [this](int lCount, const QString& sMsg) { emit Progress(lCount, sMsg); },
        [this](QString& sPassword, bool& bCancel) { emit PasswordRequest(sPassword, bCancel); }};
    return mZip::VBZip(callbacks, m_options, m_zipFile, m_specs, m_lastError);
}
