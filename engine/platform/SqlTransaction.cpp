#include "engine/platform/SqlTransaction.h"

#include "engine/platform/SqlConnection.h"

namespace zentrel {

SqlTransaction::SqlTransaction(SqlConnection& connection)
    : m_connection(connection)
{
    m_connection.beginTransaction();
}

SqlTransaction::~SqlTransaction()
{
    if (!m_done)
        m_connection.rollbackTransaction();
}

void SqlTransaction::commit()
{
    m_done = true;
    m_connection.commitTransaction();
}

} // namespace zentrel
