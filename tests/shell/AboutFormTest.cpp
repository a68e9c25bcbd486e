#include "shell/main/AboutForm.h"
#include "shell/platform/ApplicationFont.h"

#include "ProgramPictures.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QFontMetrics>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

namespace kinfold {
namespace {

// ---------------------------------------------------------------------------
// The picture files as the script wrote them

QString resourceFile(const char* name) { return QStringLiteral(KINFOLD_RESOURCE_DIR "/") + QString::fromLatin1(name); }

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

std::uint32_t byteAt(const QByteArray& data, int at) { return static_cast<std::uint8_t>(data.at(at)); }
std::uint32_t le16(const QByteArray& data, int at) { return byteAt(data, at) | (byteAt(data, at + 1) << 8); }
std::uint32_t le32(const QByteArray& data, int at) { return le16(data, at) | (le16(data, at + 2) << 16); }
std::uint32_t be32(const QByteArray& data, int at) {
    return (byteAt(data, at) << 24) | (byteAt(data, at + 1) << 16) | (byteAt(data, at + 2) << 8) | byteAt(data, at + 3);
}

// Header fields every picture must have, read straight from the bytes.
struct HeaderFacts {
    int width = 0;
    int height = 0;
    std::string problem;  // empty when the header is as it must be
};

HeaderFacts pngHeader(const QByteArray& d) {
    HeaderFacts f;
    if (d.size() < 33 || !d.startsWith(QByteArray("\x89PNG\r\n\x1a\n", 8)) || d.mid(12, 4) != "IHDR") {
        f.problem = "no PNG signature and IHDR";
        return f;
    }
    f.width = static_cast<int>(be32(d, 16));
    f.height = static_cast<int>(be32(d, 20));
    if (byteAt(d, 24) != 8)
        f.problem = "bit depth is not 8";
    else if (byteAt(d, 25) != 2)
        f.problem = "colour type is not 2 (RGB without alpha)";
    else if (!d.endsWith(QByteArray("IEND\xae\x42\x60\x82", 8)))
        f.problem = "no IEND chunk at the end";
    return f;
}

HeaderFacts gifHeader(const QByteArray& d) {
    HeaderFacts f;
    if (d.size() < 13 + 768 || !d.startsWith("GIF89a")) {
        f.problem = "no GIF89a signature";
        return f;
    }
    f.width = static_cast<int>(le16(d, 6));
    f.height = static_cast<int>(le16(d, 8));
    const std::uint32_t packed = byteAt(d, 10);
    if ((packed & 0x80) == 0)
        f.problem = "no global colour table";
    else if ((packed & 0x07) != 7)
        f.problem = "global colour table is not 256 entries";
    else if (byteAt(d, 13 + 768) != 0x2c)
        f.problem = "no image descriptor after the colour table";
    else if (byteAt(d, d.size() - 1) != 0x3b)
        f.problem = "no trailer";
    return f;
}

HeaderFacts icoHeader(const QByteArray& d) {
    HeaderFacts f;
    if (d.size() < 22 + 40 || le16(d, 0) != 0 || le16(d, 2) != 1 || le16(d, 4) != 1) {
        f.problem = "not an icon file with one image";
        return f;
    }
    f.width = byteAt(d, 6) == 0 ? 256 : static_cast<int>(byteAt(d, 6));
    f.height = byteAt(d, 7) == 0 ? 256 : static_cast<int>(byteAt(d, 7));
    const std::uint32_t bytes = le32(d, 14);
    const std::uint32_t offset = le32(d, 18);
    const int bmp = static_cast<int>(offset);
    // 32 rows of 96 colour bytes, then 32 rows of a 4-byte mask.
    const std::uint32_t expectedBytes = 40 + 32 * 96 + 32 * 4;
    if (le16(d, 12) != 24)
        f.problem = "directory entry is not 24 bits per pixel";
    else if (offset + bytes != static_cast<std::uint32_t>(d.size()))
        f.problem = "image does not end the file";
    else if (bytes != expectedBytes)
        f.problem = "image size is not 32x32 24-bit with its mask";
    else if (le32(d, bmp) != 40)
        f.problem = "no BITMAPINFOHEADER";
    else if (le32(d, bmp + 4) != 32 || le32(d, bmp + 8) != 64)
        f.problem = "bitmap is not 32 wide and 2x32 high";
    else if (le16(d, bmp + 14) != 24)
        f.problem = "bitmap is not 24 bits per pixel";
    else if (le32(d, bmp + 16) != 0)
        f.problem = "bitmap is compressed";
    return f;
}

struct PictureCase {
    const char* name;
    const char* file;
    std::function<HeaderFacts(const QByteArray&)> header;
    int width;
    int height;
};
void PrintTo(const PictureCase& c, std::ostream* os) { *os << c.name; }

class Pictures : public ::testing::TestWithParam<PictureCase> {};

TEST_P(Pictures, HeaderIsAsWritten) {
    const PictureCase& c = GetParam();
    const QByteArray data = readAll(resourceFile(c.file));
    ASSERT_FALSE(data.isEmpty()) << c.file;
    const HeaderFacts facts = c.header(data);
    EXPECT_EQ(facts.problem, "");
    EXPECT_EQ(facts.width, c.width);
    EXPECT_EQ(facts.height, c.height);
}

TEST_P(Pictures, QtReadsTheFile) {
    const PictureCase& c = GetParam();
    const QImage image(resourceFile(c.file));
    ASSERT_FALSE(image.isNull()) << c.file;
    EXPECT_EQ(image.size(), QSize(c.width, c.height));
}

INSTANTIATE_TEST_SUITE_P(Table, Pictures,
                         ::testing::Values(PictureCase{"IconPng", "kinfold-search.png", pngHeader, 32, 32},
                                           PictureCase{"IconIco", "kinfold-search.ico", icoHeader, 32, 32},
                                           PictureCase{"BannerGif", "banner.gif", gifHeader, 489, 108}),
                         [](const auto& info) { return std::string(info.param.name); });

// The pictures compiled into the program through kinfold_resources.
struct CompiledCase {
    const char* name;
    QString resource;
    const char* file;
    QSize size;
};
void PrintTo(const CompiledCase& c, std::ostream* os) { *os << c.name; }

class CompiledPictures : public ::testing::TestWithParam<CompiledCase> {};

TEST_P(CompiledPictures, ResourceMatchesTheFile) {
    const CompiledCase& c = GetParam();
    const QImage fromResource(c.resource);
    ASSERT_FALSE(fromResource.isNull()) << c.resource.toStdString();
    EXPECT_EQ(fromResource.size(), c.size);
    EXPECT_EQ(QPixmap(c.resource).size(), c.size);
    EXPECT_EQ(fromResource, QImage(resourceFile(c.file)));
}

INSTANTIATE_TEST_SUITE_P(Table, CompiledPictures,
                         ::testing::Values(CompiledCase{"Icon", programIconPath(), "kinfold-search.png", QSize(32, 32)},
                                           CompiledCase{"Banner", bannerPath(), "banner.gif", QSize(489, 108)}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ResourcePaths, AreTheDocumentedOnes) {
    EXPECT_EQ(programIconPath(), QStringLiteral(":/kinfold/kinfold-search.png"));
    EXPECT_EQ(bannerPath(), QStringLiteral(":/kinfold/banner.gif"));
}

TEST(PictureContents, IcoHoldsTheSamePixelsAsThePng) {
    const QImage png = QImage(resourceFile("kinfold-search.png")).convertToFormat(QImage::Format_RGB32);
    const QImage ico = QImage(resourceFile("kinfold-search.ico")).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(png.size(), QSize(32, 32));
    ASSERT_EQ(ico.size(), QSize(32, 32));
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            ASSERT_EQ(png.pixel(x, y), ico.pixel(x, y)) << "at " << x << "," << y;
        }
    }
}

TEST(PictureContents, PngHasNoAlphaAndIsNotBlank) {
    const QImage png(resourceFile("kinfold-search.png"));
    EXPECT_FALSE(png.hasAlphaChannel());
    QList<QRgb> seen;
    for (int y = 0; y < png.height(); ++y) {
        for (int x = 0; x < png.width(); ++x) {
            if (!seen.contains(png.pixel(x, y))) seen.append(png.pixel(x, y));
        }
    }
    EXPECT_GE(seen.size(), 4) << "an icon of fewer than four colours shows no motif";
}

TEST(PictureContents, QtDecodesTheWholeBanner) {
    // Qt decodes the whole picture: the gradient and the bar shades show up
    // as most of the 256 palette colours, down to the last row.
    const QImage gif(resourceFile("banner.gif"));
    ASSERT_FALSE(gif.isNull());
    QSet<QRgb> colours;
    for (int y = 0; y < gif.height(); ++y) {
        for (int x = 0; x < gif.width(); ++x) colours.insert(gif.pixel(x, y));
    }
    EXPECT_GE(colours.size(), 200);
    QSet<QRgb> lastRow;
    for (int x = 0; x < gif.width(); ++x) lastRow.insert(gif.pixel(x, gif.height() - 1));
    EXPECT_GE(lastRow.size(), 64) << "the background gradient runs along the last row";
}

// ---------------------------------------------------------------------------
// The About window

// The window becomes active through the window system's event queue, so the
// keyboard focus arrives with it; wait for it rather than for a time.
bool okayGetsTheFocus(const AboutForm& form) {
    return QTest::qWaitFor([&] { return form.Okay->hasFocus(); });
}

class AboutFormTest : public ::testing::Test {
protected:
    std::unique_ptr<AboutForm> form = std::make_unique<AboutForm>();
};

TEST_F(AboutFormTest, WindowTitleSizeAndFlags) {
    EXPECT_EQ(form->objectName(), QStringLiteral("AboutForm"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("About Kinfold Search"));
    EXPECT_TRUE(form->isWindow());
    EXPECT_EQ(form->size(), QSize(225, 273));
    EXPECT_EQ(form->minimumSize(), QSize(225, 273));
    EXPECT_EQ(form->maximumSize(), QSize(225, 273));
    const Qt::WindowFlags expected = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                     Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
    // Qt adds the system-menu hint itself: the close button needs it.
    EXPECT_EQ(form->windowFlags() & ~Qt::WindowSystemMenuHint, expected);
    EXPECT_EQ(form->windowType(), Qt::Dialog);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(form->testAttribute(Qt::WA_DeleteOnClose));
}

TEST_F(AboutFormTest, WindowIconIsTheProgramIcon) {
    const QIcon icon = form->windowIcon();
    ASSERT_FALSE(icon.isNull());
    const QImage shown = icon.pixmap(32, 32).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage file = QImage(resourceFile("kinfold-search.png")).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, file);
}

// The members are typed pointers; the table reads them through this accessor.
QWidget* memberOf(const AboutForm& form, const char* name) {
    const std::string n(name);
    if (n == "Okay") return form.Okay;
    if (n == "Label1") return form.Label1;
    if (n == "Label2") return form.Label2;
    if (n == "Label3") return form.Label3;
    if (n == "Label4") return form.Label4;
    if (n == "Label5") return form.Label5;
    if (n == "Label6") return form.Label6;
    if (n == "Image1") return form.Image1;
    if (n == "Image2") return form.Image2;
    return nullptr;
}

struct Control {
    const char* name;
    const char* className;
    QString text;
    QRect geometry;  // left, top, width, height
};
void PrintTo(const Control& c, std::ostream* os) { *os << c.name; }

class AboutControls : public ::testing::TestWithParam<Control> {
protected:
    AboutForm form;
};

TEST_P(AboutControls, NameClassTextAndPlace) {
    const Control& c = GetParam();
    QWidget* member = memberOf(form, c.name);
    ASSERT_NE(member, nullptr);
    EXPECT_EQ(form.findChild<QWidget*>(QString::fromLatin1(c.name)), member);
    EXPECT_EQ(member->objectName(), QString::fromLatin1(c.name));
    EXPECT_STREQ(member->metaObject()->className(), c.className);
    EXPECT_EQ(member->parentWidget(), &form);
    EXPECT_EQ(member->geometry(), c.geometry);
    if (auto* label = qobject_cast<QLabel*>(member)) {
        EXPECT_EQ(label->text(), c.text);
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        EXPECT_EQ(label->textInteractionFlags(), Qt::NoTextInteraction);
        EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
    } else if (auto* button = qobject_cast<QPushButton*>(member)) {
        EXPECT_EQ(button->text(), c.text);
        EXPECT_NE(button->focusPolicy() & Qt::TabFocus, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, AboutControls,
    ::testing::Values(
        Control{"Okay", "QPushButton", QStringLiteral("OK"), QRect(80, 240, 65, 25)},
        Control{"Label1", "QLabel", QStringLiteral("Kinfold Search"), QRect(64, 64, 137, 17)},
        Control{"Label2", "QLabel", QStringLiteral("Version 1.2"), QRect(64, 80, 137, 17)},
        Control{"Label3", "QLabel", QStringLiteral("by the Kinfold Search team"), QRect(64, 104, 137, 17)},
        Control{"Label4", "QLabel", QStringLiteral("Tessarine"), QRect(64, 128, 137, 17)},
        Control{"Label5", "QLabel", QStringLiteral("https://kinfold.example.org/"), QRect(64, 144, 137, 17)},
        Control{"Label6", "QLabel",
                QStringLiteral("Kinfold Search is free software under the MIT licence: you may use, copy, change "
                               "and pass it on freely, provided the copyright and licence notice go with it."),
                QRect(8, 168, 209, 65)},
        Control{"Image1", "QLabel", QString(), QRect(24, 64, 32, 32)},
        Control{"Image2", "QLabel", QString(), QRect(8, 8, 209, 52)}),
    [](const auto& info) { return std::string(info.param.name); });

// Each label's text fits its box in the label's own font.
class AboutLabelText : public ::testing::TestWithParam<const char*> {
protected:
    AboutForm form;
};

TEST_P(AboutLabelText, FitsItsLabel) {
    auto* label = qobject_cast<QLabel*>(memberOf(form, GetParam()));
    ASSERT_NE(label, nullptr);
    ASSERT_FALSE(label->text().isEmpty());
    const QFontMetrics metrics(label->font());
    const QRect box = label->contentsRect();
    if (label->wordWrap()) {
        const QRect needed =
            metrics.boundingRect(QRect(0, 0, box.width(), 10000), Qt::TextWordWrap | Qt::AlignHCenter, label->text());
        EXPECT_LE(needed.width(), box.width());
        EXPECT_LE(needed.height(), box.height());
    } else {
        EXPECT_LE(metrics.horizontalAdvance(label->text()), box.width());
        EXPECT_LE(metrics.height(), box.height());
    }
}

INSTANTIATE_TEST_SUITE_P(Table, AboutLabelText,
                         ::testing::Values("Label1", "Label2", "Label3", "Label4", "Label5", "Label6"),
                         [](const auto& info) { return std::string(info.param); });

TEST_F(AboutFormTest, TheTextsFollowTheStaticAccessors) {
    EXPECT_EQ(form->Label1->text(), AboutForm::productName());
    EXPECT_EQ(form->Label2->text(), AboutForm::versionText());
    EXPECT_EQ(form->Label3->text(), AboutForm::byLine());
    EXPECT_EQ(form->Label4->text(), AboutForm::groupName());
    EXPECT_EQ(form->Label5->text(), AboutForm::webAddress());
    EXPECT_EQ(form->Label6->text(), AboutForm::licenceNotice());
}

TEST_F(AboutFormTest, NoticeIsCentredAndWrapped) {
    EXPECT_TRUE(form->Label6->wordWrap());
    EXPECT_EQ(form->Label6->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    // Wrapped, the notice takes more than one line of its box.
    const QFontMetrics metrics(form->Label6->font());
    const QRect needed =
        metrics.boundingRect(QRect(0, 0, 209, 10000), Qt::TextWordWrap | Qt::AlignHCenter, form->Label6->text());
    EXPECT_GT(needed.height(), metrics.height());
}

TEST_F(AboutFormTest, LabelsUseTheApplicationFont) {
    EXPECT_EQ(form->Label1->font(), applicationFont());
    EXPECT_EQ(form->Label6->font(), applicationFont());
}

TEST_F(AboutFormTest, OnlyOkayTakesFocus) {
    QList<QWidget*> focusable;
    for (QWidget* w : form->findChildren<QWidget*>()) {
        if (w->focusPolicy() != Qt::NoFocus) focusable.append(w);
    }
    ASSERT_EQ(focusable.size(), 1);
    EXPECT_EQ(focusable.front(), form->Okay);
}

TEST_F(AboutFormTest, ImagesShowTheirPictures) {
    const QPixmap icon = form->Image1->pixmap();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_FALSE(form->Image1->hasScaledContents());
    EXPECT_EQ(icon.toImage().convertToFormat(QImage::Format_RGB32),
              QImage(resourceFile("kinfold-search.png")).convertToFormat(QImage::Format_RGB32));

    const QPixmap banner = form->Image2->pixmap();
    ASSERT_FALSE(banner.isNull());
    EXPECT_EQ(banner.size(), QSize(489, 108));
    EXPECT_TRUE(form->Image2->hasScaledContents());
}

TEST_F(AboutFormTest, BannerIsScaledNotCropped) {
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    // The picture's corners land in the label's corners: the far right of the
    // banner (its lightest background) must show at the label's right edge.
    const QImage shown = form->Image2->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage banner = QImage(resourceFile("banner.gif")).convertToFormat(QImage::Format_RGB32);
    const QRect inside = form->Image2->contentsRect();
    auto near = [](QRgb a, QRgb b) {
        return qAbs(qRed(a) - qRed(b)) <= 24 && qAbs(qGreen(a) - qGreen(b)) <= 24 && qAbs(qBlue(a) - qBlue(b)) <= 24;
    };
    const QPoint corners[] = {inside.topLeft(), inside.topRight(), inside.bottomLeft(), inside.bottomRight()};
    const QPoint sources[] = {QPoint(0, 0), QPoint(488, 0), QPoint(0, 107), QPoint(488, 107)};
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(near(shown.pixel(corners[i]), banner.pixel(sources[i])))
            << "corner " << i << ": shown " << std::hex << shown.pixel(corners[i]) << ", picture "
            << banner.pixel(sources[i]);
    }
}

TEST_F(AboutFormTest, OkayHasTheFocusWhenShown) {
    form->show();
    EXPECT_EQ(form->focusWidget(), form->Okay);
    EXPECT_TRUE(okayGetsTheFocus(*form));
    EXPECT_EQ(QApplication::focusWidget(), form->Okay);

    // Hidden, then shown again after another window had the focus (the
    // headless platform only activates a window when the focus moves to it).
    form->hide();
    form->Okay->clearFocus();
    ASSERT_NE(form->focusWidget(), form->Okay);
    QWidget other;
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    form->show();
    EXPECT_EQ(form->focusWidget(), form->Okay);
    EXPECT_TRUE(okayGetsTheFocus(*form));
}

TEST_F(AboutFormTest, FirstShowCentresTheWindowOnItsScreen) {
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    const QRect area = form->screen()->availableGeometry();
    const QPoint offset = form->frameGeometry().center() - area.center();
    EXPECT_LE(qAbs(offset.x()), 1) << "window at " << form->x();
    EXPECT_LE(qAbs(offset.y()), 1) << "window at " << form->y();
}

// Every way to dismiss the window: it hides, says so once, and lives on.
struct DismissCase {
    const char* name;
    std::function<void(AboutForm&)> act;
};
void PrintTo(const DismissCase& c, std::ostream* os) { *os << c.name; }

class AboutDismiss : public ::testing::TestWithParam<DismissCase> {};

TEST_P(AboutDismiss, HidesEmitsOnceAndCanShowAgainWhereItWas) {
    auto form = std::make_unique<AboutForm>();
    QPointer<AboutForm> alive(form.get());
    QSignalSpy spy(form.get(), &AboutForm::dismissed);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->move(37, 41);
    const QPoint placed = form->pos();

    GetParam().act(*form);
    QCoreApplication::processEvents();

    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(spy.count(), 1);
    ASSERT_FALSE(alive.isNull());

    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->pos(), placed);
    EXPECT_EQ(spy.count(), 1);

    // A second round works the same.
    GetParam().act(*form);
    QCoreApplication::processEvents();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(spy.count(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AboutDismiss,
    ::testing::Values(DismissCase{"ClickOkay", [](AboutForm& f) { QTest::mouseClick(f.Okay, Qt::LeftButton); }},
                      DismissCase{"SpaceOnOkay", [](AboutForm& f) { QTest::keyClick(f.Okay, Qt::Key_Space); }},
                      DismissCase{"ReturnOnOkay", [](AboutForm& f) { QTest::keyClick(f.Okay, Qt::Key_Return); }},
                      DismissCase{"OkayClickSlot", [](AboutForm& f) { f.Okay_Click(); }},
                      DismissCase{"CloseRequest", [](AboutForm& f) { EXPECT_FALSE(f.close()); }}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// The parent question: the main window disables itself while this window shows.

TEST(ParentWindow, QtDisablesAChildWindowWithItsParent) {
    // The plain Qt behaviour the About window has to work around.
    QWidget parent;
    auto* child = new QWidget(&parent, Qt::Dialog);
    auto* button = new QPushButton(QStringLiteral("OK"), child);
    parent.show();
    child->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(child));
    parent.setEnabled(false);
    EXPECT_FALSE(child->isEnabled());
    EXPECT_FALSE(button->isEnabled());
    QSignalSpy clicks(button, &QPushButton::clicked);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 0) << "a button in a disabled child window takes no clicks";
}

TEST(ParentWindow, ParentedWindowIsOwnedByTheMainWindow) {
    QWidget mainWindow;
    auto* about = new AboutForm(&mainWindow);
    EXPECT_EQ(about->parentWidget(), &mainWindow);
    EXPECT_TRUE(about->isWindow());
    mainWindow.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow));
    about->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(about));
    // An owned (transient) window gets no task-bar button of its own.
    ASSERT_NE(about->windowHandle(), nullptr);
    EXPECT_EQ(about->windowHandle()->transientParent(), mainWindow.windowHandle());
}

TEST(ParentWindow, StaysUsableWhileTheMainWindowIsDisabled) {
    QWidget mainWindow;
    auto* about = new AboutForm(&mainWindow);
    QSignalSpy spy(about, &AboutForm::dismissed);
    mainWindow.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow));

    mainWindow.setEnabled(false);
    about->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(about));
    EXPECT_FALSE(mainWindow.isEnabled());
    EXPECT_TRUE(about->isEnabled());
    EXPECT_TRUE(about->Okay->isEnabled());
    EXPECT_TRUE(okayGetsTheFocus(*about));

    QTest::mouseClick(about->Okay, Qt::LeftButton);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_FALSE(about->isVisible());
    mainWindow.setEnabled(true);
    mainWindow.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&mainWindow));

    // Disabled again while the About window already shows.
    about->show();
    ASSERT_TRUE(okayGetsTheFocus(*about));
    mainWindow.setEnabled(false);
    EXPECT_TRUE(about->isEnabled());
    EXPECT_TRUE(about->Okay->isEnabled());
    EXPECT_TRUE(about->Okay->hasFocus());
    QTest::keyClick(about->Okay, Qt::Key_Space);
    EXPECT_EQ(spy.count(), 2);
    EXPECT_FALSE(about->isVisible());
}

TEST(ParentWindow, ADirectDisableStillHolds) {
    QWidget mainWindow;
    auto* about = new AboutForm(&mainWindow);
    about->setEnabled(false);
    mainWindow.setEnabled(false);
    EXPECT_FALSE(about->isEnabled());
    mainWindow.setEnabled(true);
    EXPECT_FALSE(about->isEnabled());
    about->setEnabled(true);
    EXPECT_TRUE(about->isEnabled());
    EXPECT_TRUE(about->Okay->isEnabled());
}

}  // namespace
}  // namespace kinfold

int main(int argc, char** argv) {
    // Headless unless told otherwise, also when the test list is read.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setFont(kinfold::applicationFont());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
