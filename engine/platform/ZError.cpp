#include "engine/platform/ZError.h"

namespace zentrel {

ZError::ZError(std::uint32_t number, const QString& description, const QString& source)
    : std::runtime_error(description.toStdString())
    , m_number(number)
    , m_description(description)
    , m_source(source)
{
}

} // namespace zentrel
