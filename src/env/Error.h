#pragma once
// The one error type of the program: a kind and a message for the user.
#include <QString>
#include <stdexcept>

// Busy: the store is held by another process (a database error the user can
// retry). Stopped: the user stopped the operation.
enum class ErrKind { InvalidArgument, TypeMismatch, Overflow, FileSystem, Database, Busy, Stopped };

class FcError : public std::runtime_error {
public:
    FcError(ErrKind kind, const QString& msg) : std::runtime_error(msg.toStdString()), m_kind(kind), m_msg(msg) {}
    ErrKind kind() const { return m_kind; }
    const QString& message() const { return m_msg; }

private:
    ErrKind m_kind;
    QString m_msg;
};

// Text of any exception for a message box.
QString ErrText(const std::exception& e);
// The system's text for an error number, and for the current errno.
QString ErrText(int err);
QString ErrNo();
