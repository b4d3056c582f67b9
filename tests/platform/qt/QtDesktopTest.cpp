#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "platform/qt/LabelWidget.h"
#include "platform/qt/QtDesktop.h"

namespace sonavel::qt {
namespace {

QtDesktop* desktop = nullptr;

// Records what the back-end reports; consumes the keys it is told to.
class RecordingEvents final : public DesktopEvents {
 public:
  bool PreTranslateKey(WindowHandle target, const KeyPress& key) override {
    keys.push_back({target, key});
    return key.virtualKey == consume;
  }
  void Clicked(WindowHandle control) override { clicks.push_back(control); }
  void MessageArrived(WindowHandle, std::uint32_t message, std::uintptr_t, std::intptr_t) override {
    messages.push_back(message);
  }
  void CloseRequested(WindowHandle window) override { closes.push_back(window); }
  void ActivationChanged(WindowHandle, bool) override {}
  void FocusChanged(WindowHandle) override {}

  std::uint32_t consume = 0;
  std::vector<std::pair<WindowHandle, KeyPress>> keys;
  std::vector<WindowHandle> clicks;
  std::vector<std::uint32_t> messages;
  std::vector<WindowHandle> closes;
};

class QtDesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    desktop->SetEvents(&events_);
    window_ = desktop->CreateTopLevel({"Test", {10, 20, 250, 190}, {}});
    button_ = desktop->CreateControl(
        window_, {ControlKind::kButton, {5, 5, 80, 20}, "录音(&R)", false, true});
    other_ = desktop->CreateControl(
        window_, {ControlKind::kButton, {5, 40, 80, 20}, "停止(&S)", false, true});
    desktop->ShowWithoutActivating(button_);
    desktop->ShowWithoutActivating(other_);
    desktop->ShowActive(window_);
    desktop->SetFocus(button_);
  }
  void TearDown() override {
    desktop->DestroyTopLevel(window_);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    desktop->SetEvents(nullptr);
  }
  QPushButton& Button(WindowHandle handle) {
    return *qobject_cast<QPushButton*>(desktop->WidgetOf(handle));
  }

  RecordingEvents events_;
  WindowHandle window_ = 0;
  WindowHandle button_ = 0;
  WindowHandle other_ = 0;
};

TEST_F(QtDesktopTest, WindowHasTheOuterRectangleAskedFor) {
  EXPECT_EQ(desktop->OuterRect(window_), (Rect{10, 20, 250, 190}));
}

TEST_F(QtDesktopTest, ButtonsHaveNoToolkitMnemonics) {
  EXPECT_TRUE(Button(button_).shortcut().isEmpty());
  desktop->SetText(button_, "退出(&Q)");
  EXPECT_TRUE(Button(button_).shortcut().isEmpty());
  EXPECT_EQ(Button(button_).text(), QString::fromUtf8("退出(&Q)"));
}

TEST_F(QtDesktopTest, EveryKeyIsOfferedToTheFrameworkFirst) {
  QTest::keyClick(&Button(button_), Qt::Key_R, Qt::AltModifier);
  ASSERT_EQ(events_.keys.size(), 1u);
  EXPECT_EQ(events_.keys[0].first, button_);
  EXPECT_EQ(events_.keys[0].second.virtualKey, 'R');
  EXPECT_TRUE(events_.keys[0].second.alt);
  EXPECT_TRUE(events_.clicks.empty());
}

TEST_F(QtDesktopTest, ConsumedTabLeavesTheFocusToTheFramework) {
  events_.consume = vk::kTab;
  QTest::keyClick(&Button(button_), Qt::Key_Tab);
  EXPECT_EQ(desktop->WidgetOf(window_)->focusWidget(), &Button(button_));
  ASSERT_EQ(events_.keys.size(), 1u);
  EXPECT_EQ(events_.keys[0].second.virtualKey, vk::kTab);
}

TEST_F(QtDesktopTest, SpaceClicksTheFocusedButton) {
  QTest::keyClick(&Button(button_), Qt::Key_Space);
  EXPECT_EQ(events_.clicks, std::vector<WindowHandle>{button_});
}

TEST_F(QtDesktopTest, PostedMessagesArriveInOrderBeforeTheQuitCode) {
  desktop->PostMessage(window_, 0x8065, 0, 0);
  desktop->PostMessage(window_, 0x8066, 0, 0);
  desktop->PostQuit(7);
  EXPECT_EQ(desktop->RunLoop(), 7);
  EXPECT_EQ(events_.messages, (std::vector<std::uint32_t>{0x8065, 0x8066}));
}

TEST_F(QtDesktopTest, LabelsDrawMnemonicsAndDoubleAmpersands) {
  auto render = [this](const char* caption) {
    const WindowHandle label =
        desktop->CreateControl(window_, {ControlKind::kLabel, {0, 100, 60, 15}, caption});
    desktop->ShowWithoutActivating(label);
    return desktop->WidgetOf(label)->grab().toImage();
  };
  const QImage plain = render("Ab");
  const QImage underlined = render("&Ab");
  const QImage ampersand = render("&&Ab");
  EXPECT_NE(plain, underlined);
  EXPECT_NE(plain, ampersand);
  EXPECT_NE(underlined, ampersand);
  // Opaque: the label's corner shows its own button-face fill.
  EXPECT_EQ(plain.pixelColor(0, 0), desktop->WidgetOf(window_)->palette().color(QPalette::Button));
}

// Types a name into the open save dialog and presses Enter there, as a user does.
void TypeIntoDialog(const QString& name) {
  QTimer::singleShot(0, [name] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(field, nullptr);
    field->setText(name);
    QTest::keyClick(field, Qt::Key_Return);
  });
}

TEST_F(QtDesktopTest, SaveDialogCompletesOnlyABareNameAndMakesItsFolderCurrent) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString start = QDir::currentPath();
  const std::pair<QString, QString> cases[] = {{"take", "take.MP3"}, {"take.wav", "take.wav"}};
  for (const auto& [typed, returned] : cases) {
    TypeIntoDialog(folder.filePath(typed));
    FileDialogRequest request;
    request.defaultExtension = "MP3";
    request.overwritePrompt = true;
    const std::optional<std::string> chosen = desktop->FileDialog(request);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(QString::fromStdString(*chosen), folder.filePath(returned));
    EXPECT_EQ(QDir::currentPath(), QDir(folder.path()).canonicalPath());
    QDir::setCurrent(start);
  }
}

TEST_F(QtDesktopTest, StockTextsFollowTheSystemLanguage) {
  // main runs the suite in Simplified Chinese.
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Save"), QStringLiteral("保存"));
}

}  // namespace
}  // namespace sonavel::qt

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qunsetenv("LC_ALL");
  qunsetenv("LC_MESSAGES");
  qunsetenv("LANGUAGE");
  qputenv("LANG", "zh_CN.UTF-8");
  sonavel::qt::QtDesktop desktop(argc, argv);
  sonavel::qt::desktop = &desktop;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
