#pragma once
// The error a routine raises with the user's text; the application shows it in the
// standard error box and goes on.
#include <QString>
#include <stdexcept>

class AppError : public std::runtime_error {
public:
    explicit AppError(const QString &text)
        : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString &text() const noexcept { return m_text; }

private:
    QString m_text;
};

// The database is held by another desk (process or computer) and the action did nothing: it
// may be tried again as a whole.
class BusyError : public AppError {
public:
    using AppError::AppError;
};
