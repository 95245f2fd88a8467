#include "widgets/FrText.h"

#include "base/CodePage.h"
#include "base/OutputFile.h"
#include "base/Paths.h"
#include "clipboard/Clipboard.h"
#include "settings/ExtIniFile.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>

namespace sorvak::widgets {

namespace {

constexpr int TopPanelHeight = 33;
constexpr int BottomPanelHeight = 41;
constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 25;
// Anchored to the right edge: each button keeps its design distance from it.
constexpr int Button3Right = TTextForm::DesignWidth - 265;
constexpr int Button1Right = TTextForm::DesignWidth - 345;
constexpr int Button2Right = TTextForm::DesignWidth - 425;

QFont FormFont() {
    QFont font;
    // Where the named face is missing, the next proportional Japanese face.
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("VL PGothic")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(9);
    return font;
}

QPushButton* MakeButton(const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    // No default button: Enter must not press anything.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

TTextForm::TTextForm(TextFormServices services, QWidget* parent)
    : QDialog(parent), services_(std::move(services)) {
    setWindowTitle(QCoreApplication::translate("FileListWindow", "ファイルのコピー"));
    setFont(FormFont());
    setSizeGripEnabled(false);

    TopPanel = new QWidget(this);
    Label1 = new QLabel(QCoreApplication::translate(
                            "FileListWindow", "クリップボードにコピーされたファイルのパスです。"),
                        TopPanel);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setGeometry(8, 8, 329, 25);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setTabChangesFocus(true);
    Memo1->setPlainText(QStringLiteral("Memo1"));

    Panel1 = new QWidget(this);
    Button3 = MakeButton(QCoreApplication::translate("FileListWindow", "コピー"), Panel1);
    Button1 = MakeButton(QCoreApplication::translate("FileListWindow", "保存"), Panel1);
    Button2 = MakeButton(QCoreApplication::translate("FileListWindow", "閉じる"), Panel1);
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });

    setTabOrder(Memo1, Button3);
    setTabOrder(Button3, Button1);
    setTabOrder(Button1, Button2);

    TextSaveDialog1 = std::make_unique<TTextSaveDialog>(services_.Dialogs);
    TextSaveDialog1->ShowPlacesBar = true;
    TextSaveDialog1->Preview = true;

    resize(DesignWidth, DesignHeight);
    LayOut();
}

TTextForm::~TTextForm() = default;

void TTextForm::SetMemoText(const std::string& text) {
    Memo1->setPlainText(memoText_.Show(text));
}

std::string TTextForm::MemoText() const {
    // The raw text keeps no-break spaces, which the plain text turns into
    // spaces; blocks are separated by the paragraph separator.
    QString text = Memo1->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return memoText_.Take(text);
}

void TTextForm::ShowModal() {
    Memo1->setFocus();
    exec();
}

void TTextForm::showEvent(QShowEvent* event) {
    // The outer frame is centred; its size is known once the platform
    // window exists, which it does by now.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        const QSize frame = frameGeometry().size();
        move(area.left() + (area.width() - frame.width()) / 2,
             area.top() + (area.height() - frame.height()) / 2);
    }
    QDialog::showEvent(event);
}

void TTextForm::Button3Click() {
    Guarded([this] { services_.Clipboard->WriteText(MemoText()); });
}

void TTextForm::Button1Click() {
    Guarded([this] {
        if (!TextSaveDialog1->Execute())
            return;
        const std::string fileName = TextSaveDialog1->FileName();
        WriteWholeFile(fileName, MemoText());
        services_.Settings->WriteStr(FileListSettingsSection, "InitialDir", FolderOf(fileName));
    });
}

void TTextForm::Button2Click() {
    reject();
}

void TTextForm::Guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& failure) {
        if (services_.ShowError)
            services_.ShowError(failure);
    }
}

void TTextForm::keyPressEvent(QKeyEvent* event) {
    // Neither a cancel nor a default button: Escape and Enter close nothing.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->ignore();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void TTextForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    LayOut();
}

void TTextForm::LayOut() {
    const int w = width();
    const int h = height();
    TopPanel->setGeometry(0, 0, w, TopPanelHeight);
    Panel1->setGeometry(0, h - BottomPanelHeight, w, BottomPanelHeight);
    Memo1->setGeometry(0, TopPanelHeight, w, std::max(0, h - TopPanelHeight - BottomPanelHeight));
    Button3->setGeometry(w - Button3Right, 8, ButtonWidth, ButtonHeight);
    Button1->setGeometry(w - Button1Right, 8, ButtonWidth, ButtonHeight);
    Button2->setGeometry(w - Button2Right, 8, ButtonWidth, ButtonHeight);
}

} // namespace sorvak::widgets
