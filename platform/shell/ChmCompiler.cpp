#include "platform/shell/ChmCompiler.h"

#include "platform/shell/ShellOpen.h"

#include <QFileInfo>

std::unique_ptr<RunningProgram> StartChmCompiler(const std::string& projectFile) {
    const QFileInfo project(QString::fromStdString(projectFile));
    // The compiler writes its output into the folder it runs in.
    return ShellOpenProcess(ChmCompilerProgram, {project.fileName().toStdString()},
                            project.absolutePath().toStdString(), nullptr);
}
