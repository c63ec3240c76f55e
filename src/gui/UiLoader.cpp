#include "gui/UiLoader.h"

#include <QFile>

#include "gui/DatasheetList.h"
#include "gui/DocumentView.h"
#include "gui/ElidedLabel.h"
#include "gui/PdfPageView.h"
#include "gui/PickerWheels.h"
#include "gui/QrCodeView.h"
#include "gui/ResistorBodyView.h"
#include "platform/Log.h"

UiLoader::UiLoader(QObject* parent) : QUiLoader(parent) {}

std::map<QString, UiLoader::Factory>& UiLoader::factories() {
    static std::map<QString, Factory> table = {
        {"PickerWheels", [](QWidget* parent) { return new PickerWheels(parent); }},
        {"DocumentView", [](QWidget* parent) { return new DocumentView(parent); }},
        {"DatasheetList", [](QWidget* parent) { return new DatasheetList(parent); }},
        {"ElidedLabel", [](QWidget* parent) { return new ElidedLabel(parent); }},
        {"PdfPageView", [](QWidget* parent) { return new PdfPageView(parent); }},
        {"QrCodeView", [](QWidget* parent) { return new QrCodeView(parent); }},
        {"ResistorBodyView", [](QWidget* parent) { return new ResistorBodyView(parent); }},
    };
    return table;
}

QWidget* UiLoader::createWidget(const QString& className, QWidget* parent, const QString& name) {
    auto it = factories().find(className);
    if (it == factories().end()) return QUiLoader::createWidget(className, parent, name);
    QWidget* w = it->second(parent);
    w->setObjectName(name);
    return w;
}

QWidget* UiLoader::loadNamed(const QString& name, QWidget* parent) {
    QFile file(":/ui/" + name + ".ui");
    if (!file.open(QIODevice::ReadOnly)) {
        logLine("interface file " + name.toStdString() + ".ui is missing");
        return nullptr;
    }
    QWidget* w = load(&file, parent);
    if (!w) logLine("interface file " + name.toStdString() + ".ui cannot be loaded: " + errorString().toStdString());
    return w;
}

void UiLoader::fail(const std::string& fault) {
    logLine(fault);
    throw std::logic_error(fault);
}
