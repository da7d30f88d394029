#pragma once

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>
#include <utility>

namespace brevane::db {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the wide ODBC calls must take UTF-16");

// Owns one ODBC handle and frees it on destruction.
class OdbcHandle
{
public:
    OdbcHandle() = default;
    OdbcHandle(SQLSMALLINT type, SQLHANDLE handle)
        : m_type(type)
        , m_handle(handle)
    { }
    ~OdbcHandle() { reset(); }

    OdbcHandle(const OdbcHandle &) = delete;
    OdbcHandle &operator=(const OdbcHandle &) = delete;
    OdbcHandle(OdbcHandle &&other) noexcept
        : m_type(other.m_type)
        , m_handle(std::exchange(other.m_handle, nullptr))
    { }
    OdbcHandle &operator=(OdbcHandle &&other) noexcept
    {
        if (this != &other) {
            reset();
            m_type = other.m_type;
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }

    SQLHANDLE get() const { return m_handle; }
    SQLSMALLINT type() const { return m_type; }
    explicit operator bool() const { return m_handle != SQL_NULL_HANDLE; }

    void reset()
    {
        if (m_handle != SQL_NULL_HANDLE)
            SQLFreeHandle(m_type, m_handle);
        m_handle = SQL_NULL_HANDLE;
    }

    // A new ODBC 3 environment, or an empty handle.
    static OdbcHandle environment()
    {
        SQLHANDLE env = SQL_NULL_HANDLE;
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
            return {};
        OdbcHandle handle(SQL_HANDLE_ENV, env);
        if (!SQL_SUCCEEDED(
                SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0)))
            return {};
        return handle;
    }

    // A new handle of `type` under `parent`, or an empty handle.
    static OdbcHandle allocate(SQLSMALLINT type, const OdbcHandle &parent)
    {
        SQLHANDLE handle = SQL_NULL_HANDLE;
        if (!SQL_SUCCEEDED(SQLAllocHandle(type, parent.get(), &handle)))
            return {};
        return OdbcHandle(type, handle);
    }

private:
    SQLSMALLINT m_type = 0;
    SQLHANDLE m_handle = SQL_NULL_HANDLE;
};

} // namespace brevane::db
