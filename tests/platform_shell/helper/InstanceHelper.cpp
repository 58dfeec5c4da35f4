// A stand-in for a starting program: waits until the file named by its first argument exists,
// so that every copy claims the instance channel at the same moment, then claims it. The one
// that keeps it prints "primary" and stays until it has received as many "OnlyOneVelmor"
// messages as its second argument says (or 30 seconds have passed), then prints
// "received <n>". The others hand over, print "handed-over" and exit 0.
#include "platform/shell/ChannelFrame.h"
#include "platform/shell/InstanceChannel.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::cerr << "usage: instance_helper GOFILE EXPECTED\n";
        return 2;
    }
    const std::filesystem::path go = argv[1];
    const int expected = std::stoi(argv[2]);
    const auto start = std::chrono::steady_clock::now();
    while (!std::filesystem::exists(go)) {
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(30)) {
            return 4;
        }
        QThread::usleep(200);
    }

    InstanceChannel channel;
    switch (channel.ClaimOrHandOver(EncodeMessageFrame({OnlyOneVelmorMessage, 0}))) {
    case InstanceChannel::Claim::HandedOver:
        std::cout << "handed-over" << std::endl;
        return 0;
    case InstanceChannel::Claim::Failed:
        std::cerr << channel.ErrorText() << std::endl;
        return 1;
    case InstanceChannel::Claim::Primary:
        break;
    }
    std::cout << "primary" << std::endl;
    int received = 0;
    channel.SetMessageHandler([&](const RegisteredMessage& message) {
        if (message.Name == OnlyOneVelmorMessage && ++received == expected) {
            app.quit();
        }
    });
    QTimer::singleShot(std::chrono::seconds(30), &app, &QCoreApplication::quit);
    app.exec();
    std::cout << "received " << received << std::endl;
    return 0;
}
