#include "shell/platform/Application.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QTimer>

namespace {

// A test that ends the program asks the event loop to exit; with no loop
// running, that request would make the next modal dialog of the next test
// return at once. Running the main loop once takes the request back.
class EventLoopReset : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override {
        QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
    }
};

}  // namespace

int main(int argc, char** argv) {
    // Test discovery runs the program without the test environment: stay headless.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    kinfold::setUpApplication();
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new EventLoopReset);
    return RUN_ALL_TESTS();
}
