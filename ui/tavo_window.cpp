#include "tavo_window.h"

#include <QFile>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include <limits>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "captions.h"
#include "desktop.h"
#include "kelnor/form/layout.h"

namespace {

namespace form = kelnor::form;

// The form is drawn in twips; Qt's device-independent pixel is a 96-dpi pixel, which Qt
// scales itself on a high-density screen.
constexpr int kDpi = 96;

QRect pixels(const form::Twips& place) {
    const form::Pixels p = form::pixels(place, kDpi);
    return QRect(QPoint(p.left, p.top), QPoint(p.right - 1, p.bottom - 1));
}

}  // namespace

class TavoWindow::View final : public form::FormView {
  public:
    explicit View(TavoWindow& window) : window_(window) {}

    std::string boxText(int box) const override { return window_.Text1[box]->text().toStdString(); }

    bool optionSelected(int option) const override { return window_.Option1[option]->isChecked(); }

    void tell(const std::string& message) override {
        window_.notifier_(&window_, window_.windowTitle(), QString::fromStdString(message));
        // The window takes the keyboard back from the closed message itself rather than leave
        // it to the desktop.
        window_.activateWindow();
    }

    void focusBox(int box) override {
        window_.Text1[box]->setFocus(Qt::OtherFocusReason);
        window_.Text1[box]->selectAll();
    }

    std::error_code openDocument(const std::filesystem::path& file) override {
        // Whether the desktop finds a viewer is its business: it shows its own message if not.
        window_.opener_(qtPath(file.parent_path()), qtPath(file.filename()));
        return {};
    }

    void closeWindow() override { window_.close(); }

    void setFontPixelSize(int size) override {
        QFont sized = window_.font();
        sized.setPixelSize(size);
        window_.setFont(sized);
    }

    std::vector<std::string> clippedCaptions() const override {
        std::vector<std::string> ids;
        for (const QString& id : ::clippedCaptions(window_)) {
            ids.push_back(id.toStdString());
        }
        return ids;
    }

  private:
    TavoWindow& window_;
};

TavoWindow::TavoWindow(const QString& programDir, Opener opener, Notifier notifier, QWidget* parent)
    : QWidget(parent),
      opener_(std::move(opener)),
      notifier_(std::move(notifier)),
      view_(std::make_unique<View>(*this)),
      presenter_(*view_, fileSystemPath(programDir), fileSystemPath(programDir)) {
    setWindowTitle(text(form::kWindowTitle));
    setWindowIcon(programIcon());
    resize(pixels({0, 0, form::kClientWidth, form::kClientHeight}).size());
    createControls();
    chainTabOrder();
    presenter_.fitFont();
    Text1[0]->setFocus();
}

TavoWindow::~TavoWindow() = default;

void TavoWindow::setReportDir(const QString& reportDir) {
    presenter_.setReportFolder(fileSystemPath(reportDir));
}

void TavoWindow::createControls() {
    // Created in the form's visual order: a later control lies on top of an earlier one.
    QGroupBox* frame = nullptr;
    for (const form::Control& c : form::controls()) {
        QWidget* made = nullptr;
        switch (c.kind) {
            case form::ControlKind::Label:
                made = new QLabel(text(c.caption), this);
                break;
            case form::ControlKind::TextBox: {
                auto* box = new QLineEdit(text(c.caption), this);
                box->setMaxLength(std::numeric_limits<int>::max());
                Text1[c.index] = box;
                made = box;
                break;
            }
            case form::ControlKind::Frame:
                frame = new QGroupBox(text(c.caption), this);
                made = frame;
                break;
            case form::ControlKind::Option:
                // Siblings in one frame exclude each other: selecting one clears the others.
                Option1[c.index] = new QRadioButton(text(c.caption), frame);
                made = Option1[c.index];
                break;
            case form::ControlKind::Button: {
                auto* command = new QPushButton(text(c.caption), this);
                // Enter and Esc press no button, also not the one with the focus.
                command->setAutoDefault(false);
                command->setDefault(false);
                // The presenter knows each button's command by its name in the form.
                connect(command, &QPushButton::clicked, this,
                        [this, name = c.name] { presenter_.press(name); });
                made = command;
                break;
            }
        }
        made->setObjectName(QString::fromStdString(c.id()));
        made->setGeometry(pixels(c.place));
    }

    // Tab enters the group at its selected option and leaves it from there; the arrow keys
    // move within it. So only the selected option is a stop of the Tab key.
    for (QRadioButton* option : Option1) {
        connect(option, &QRadioButton::toggled, option, [option](bool selected) {
            option->setFocusPolicy(selected ? Qt::StrongFocus : Qt::ClickFocus);
        });
        option->setFocusPolicy(Qt::ClickFocus);
    }
    Option1[0]->setChecked(true);
}

void TavoWindow::chainTabOrder() {
    QWidget* previous = nullptr;
    for (const form::Control* c : form::tabChain()) {
        auto* next = findChild<QWidget*>(QString::fromStdString(c->id()));
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, next);
        }
        previous = next;
    }
}
