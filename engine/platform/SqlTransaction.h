#pragma once

namespace zentrel {

class SqlConnection;

// A transaction for the lifetime of the object: the outermost one begins and commits, inner
// ones join it. Destroyed without commit() it rolls back (an inner one makes the outer commit
// fail). Holds the connection's lock throughout.
class SqlTransaction {
public:
    explicit SqlTransaction(SqlConnection& connection);
    ~SqlTransaction();
    SqlTransaction(const SqlTransaction&) = delete;
    SqlTransaction& operator=(const SqlTransaction&) = delete;

    void commit();

private:
    SqlConnection& m_connection;
    bool m_done = false;
};

} // namespace zentrel
