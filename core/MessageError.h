#pragma once

#include <QString>

#include <stdexcept>

// A failure whose text is shown to the agent as it stands; the subsystems derive their own kinds.
class MessageError : public std::runtime_error
{
public:
    explicit MessageError(const QString &message) : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};
