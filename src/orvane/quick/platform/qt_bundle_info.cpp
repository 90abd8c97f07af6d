#include <orvane/quick/platform/qt_bundle_info.h>

#include <QCoreApplication>
#include <vector>

namespace orvane::quick {
namespace {

std::string identifierCharacters(std::string text) {
  for (char& c : text) {
    bool allowed =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
    if (!allowed) c = '-';
  }
  return text;
}

}  // namespace

std::optional<std::string> reverseDomainIdentifier(const std::string& domain, const std::string& name) {
  std::vector<std::string> labels;
  std::size_t start = 0;
  while (start <= domain.size()) {
    auto dot = domain.find('.', start);
    if (dot == std::string::npos) dot = domain.size();
    if (dot > start) labels.push_back(identifierCharacters(domain.substr(start, dot - start)));
    start = dot + 1;
  }
  if (labels.empty()) return std::nullopt;

  std::string identifier;
  for (auto label = labels.rbegin(); label != labels.rend(); ++label) {
    if (!identifier.empty()) identifier += '.';
    identifier += *label;
  }
  if (!name.empty()) identifier += '.' + identifierCharacters(name);
  return identifier;
}

std::optional<std::string> QtBundleInfo::bundleIdentifier() const {
  if (identifier_) return identifier_;
  return reverseDomainIdentifier(QCoreApplication::organizationDomain().toStdString(),
                                 QCoreApplication::applicationName().toStdString());
}

std::optional<std::string> QtBundleInfo::shortVersionString() const {
  QString version = QCoreApplication::applicationVersion();
  if (version.isEmpty()) return std::nullopt;
  return version.toStdString();
}

}  // namespace orvane::quick
