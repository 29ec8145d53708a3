#pragma once

#include <QObject>
#include <QStringList>

#include <memory>

namespace calmora {

class FileSystem;
class ShareJobs;

struct SendRequest
{
    QString soundFile;
    QString message;        // "" sends the sound alone
    QString folder;         // the shared folder
    QStringList recipients; // names as the files are to be called
};

// Drops a message for every recipient in turn, the text before the sound, so a
// receiver that sees the sound also sees its text. Returns what failed, one
// line for each recipient that did not get every file, naming them.
QStringList sendMessage(FileSystem &files, const SendRequest &request);

// Sends off the window's thread, so a share that hangs only delays the
// messages; what failed is signalled when the sending is done.
class Sender final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Sender)

public:
    explicit Sender(std::shared_ptr<FileSystem> files, QObject *parent = nullptr);

    void send(const SendRequest &request);
    bool busy() const;
    void setAnswerWait(int milliseconds) { m_answerWaitMs = milliseconds; }

Q_SIGNALS:
    // A send has ended; failures holds what to tell the user, in order.
    void sent(const QStringList &failures);

private:
    std::shared_ptr<FileSystem> m_files;
    ShareJobs *m_jobs;
    int m_answerWaitMs = 50;
};

} // namespace calmora
