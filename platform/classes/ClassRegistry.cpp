// The registry of classes that component streams create by name.

#include "platform/classes/Classes.h"
#include "platform/rtl/SysUtils.h"

#include <QHash>
#include <mutex>

namespace {
struct Registry {
    std::mutex Lock;
    QHash<QString, const TClassInfo*> ByName; // key: upper-case ASCII name
};
Registry& registry() {
    static Registry r;
    return r;
}
QString key(const String& name) {
    return UpperCase(name);
}
} // namespace

void RegisterClass(const TClassInfo& Class, TComponentFactory Factory) {
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.Lock);
    for (const TClassInfo* c = &Class; c; c = c->Parent) {
        const QString k = key(c->ClassName());
        auto it = r.ByName.find(k);
        if (it != r.ByName.end()) {
            if (it.value() != c)
                throw EFilerError(QStringLiteral("A class named %1 already exists").arg(c->ClassName()));
        } else {
            r.ByName.insert(k, c);
        }
        if (c == &Class && Factory) c->Factory = Factory;
        if (c == &TPersistent::StaticClassInfo()) break;
    }
}

void RegisterClasses(std::initializer_list<std::pair<const TClassInfo*, TComponentFactory>> Classes) {
    for (const auto& [info, factory] : Classes)
        if (info) RegisterClass(*info, factory);
}

void UnRegisterClass(const TClassInfo& Class) {
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.Lock);
    auto it = r.ByName.find(key(Class.ClassName()));
    if (it != r.ByName.end() && it.value() == &Class) r.ByName.erase(it);
}

TClass GetClass(const String& ClassName) {
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.Lock);
    return r.ByName.value(key(ClassName), nullptr);
}

TClass FindClass(const String& ClassName) {
    TClass c = GetClass(ClassName);
    if (!c) throw EClassNotFound(QStringLiteral("Class %1 not found").arg(ClassName));
    return c;
}
