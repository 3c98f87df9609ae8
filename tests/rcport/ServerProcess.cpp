#include "ServerProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include "RemoteClient.h"

#include <csignal>

#include <sys/prctl.h>

ServerProcess::ServerProcess(QString socketPath, QString imagePath)
    : m_socketPath(std::move(socketPath)), m_imagePath(std::move(imagePath))
{
    // A test that dies takes its server along instead of leaving it running.
    m_process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

ServerProcess::~ServerProcess()
{
    if (m_process.state() != QProcess::NotRunning)
        kill();
}

bool ServerProcess::start()
{
    m_process.start(QLR_REMOTE_BINARY, {"serve", "--socket", m_socketPath, "--image", m_imagePath});
    if (!m_process.waitForStarted())
        return false;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 5000 && m_process.state() == QProcess::Running) {
        if (RemoteClient::call(m_socketPath.toStdString(), "status").status == RemoteClient::Status::Ok)
            return true;
        QThread::msleep(10);
    }
    return false;
}

bool ServerProcess::terminate()
{
    m_process.terminate();
    return m_process.waitForFinished(5000) && m_process.exitStatus() == QProcess::NormalExit
           && m_process.exitCode() == 0;
}

void ServerProcess::kill()
{
    m_process.kill();
    m_process.waitForFinished(5000);
}

ServerProcess::Run ServerProcess::command(const QStringList &arguments, const QByteArray &input) const
{
    return run(QStringList{"--socket", m_socketPath} + arguments, input);
}

ServerProcess::Run ServerProcess::run(const QStringList &arguments, const QByteArray &input)
{
    QProcess process;
    process.start(QLR_REMOTE_BINARY, arguments);
    process.write(input);
    process.closeWriteChannel();
    Run result;
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

QString ServerProcess::writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(contents);
    return path;
}
