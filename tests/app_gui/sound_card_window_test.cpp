// The window records from the sound card by itself: a transmission that an
// ALSA device records appears in RxMemo and is stored, through the Qt
// event loop's window messages.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <filesystem>

#include "app_gui/gui_fixture.h"
#include "capture/alsa_test_config.h"

namespace veltrin::testing {
namespace {

namespace fs = std::filesystem;

TEST_F(WindowFixture, TransmissionFromTheSoundCardAppearsInTheWindowAndIsStored)
{
    const fs::path raw = root / "radio.raw";
    ASSERT_GT(test::writeRawTransmission(raw,
                                         {"--trail", "1", "--type", "text", "--speed", "32", "--from", "302",
                                          "--text", "Heard in the window"},
                                         1, 40.0),
              1.0);
    test::ScopedAlsaConfig card(root, {{"default", raw.string(), "Receiver"}});
    TRxForm& w = createWindow();
    showAndActivate();
    EXPECT_TRUE(w.state().captureDeviceOpen);
    auto* memo = w.findChild<QPlainTextEdit*>(QStringLiteral("RxMemo"));
    auto stored = [] { return test::storedTextMessages("VeltrinData"); };
    EXPECT_TRUE(pumpUntil([&] { return memo->toPlainText().contains(QStringLiteral("Heard in the window")) && stored() == 1; },
                          120000))
        << memo->toPlainText().toStdString();
    EXPECT_TRUE(boxes.shown.empty());
    w.shutDown();
    EXPECT_FALSE(w.state().captureDeviceOpen);
}

}  // namespace
}  // namespace veltrin::testing
