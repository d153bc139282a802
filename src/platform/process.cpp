#include "platform/process.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <thread>

namespace platform {
namespace {

QString q(const std::string& s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

std::string bytes(const QByteArray& a)
{
    return std::string(a.constData(), static_cast<std::size_t>(a.size()));
}

} // namespace

void waitProcessingEvents(std::chrono::milliseconds duration)
{
    const auto end = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < end) {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

ProcessResult runProcess(const ProcessOptions& options)
{
    ProcessResult result;
    if (options.argv.empty() || options.argv.front().empty()) {
        result.error = "runProcess: no program given";
        return result;
    }

    QProcess child;
    QStringList arguments;
    for (std::size_t i = 1; i < options.argv.size(); ++i)
        arguments << q(options.argv[i]);
    child.setProgram(q(options.argv.front()));
    child.setArguments(arguments);
    if (!options.workingDir.empty())
        child.setWorkingDirectory(q(options.workingDir));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : options.environment)
        environment.insert(q(name), q(value));
    child.setProcessEnvironment(environment);

    child.start(QIODevice::ReadWrite);
    if (!child.waitForStarted(-1)) {
        result.error = "runProcess: " + options.argv.front() + ": " + child.errorString().toStdString();
        return result;
    }
    if (!options.standardInput.empty())
        child.write(options.standardInput.data(), static_cast<qint64>(options.standardInput.size()));
    child.closeWriteChannel();

    QElapsedTimer clock;
    clock.start();
    const bool withEvents = QCoreApplication::instance() != nullptr;
    bool timedOut = false;
    while (child.state() != QProcess::NotRunning) {
        // Short slices keep the screen alive; output is drained as it comes
        // so a chatty child never blocks on a full pipe.
        child.waitForFinished(10);
        result.standardOutput += bytes(child.readAllStandardOutput());
        result.standardError += bytes(child.readAllStandardError());
        if (withEvents)
            QCoreApplication::processEvents();
        if (options.timeout.count() > 0 && clock.elapsed() >= options.timeout.count()
            && child.state() != QProcess::NotRunning) {
            timedOut = true;
            child.kill();
            child.waitForFinished(-1);
            break;
        }
    }
    result.standardOutput += bytes(child.readAllStandardOutput());
    result.standardError += bytes(child.readAllStandardError());

    if (timedOut) {
        result.status = ProcessResult::Status::TimedOut;
        result.error = "runProcess: " + options.argv.front() + ": stopped after the time limit of "
            + std::to_string(options.timeout.count()) + " ms";
    } else if (child.exitStatus() == QProcess::CrashExit) {
        result.status = ProcessResult::Status::Crashed;
        result.error = "runProcess: " + options.argv.front() + ": ended abnormally";
    } else {
        result.status = ProcessResult::Status::Finished;
        result.exitCode = child.exitCode();
    }
    return result;
}

} // namespace platform
