#include "web/ui/PictureScheme.h"

#include <QWebEngineUrlScheme>

namespace web {

void registerPictureScheme()
{
    if (QWebEngineUrlScheme::schemeByName(kPictureScheme).name() == kPictureScheme)
        return;
    QWebEngineUrlScheme scheme(kPictureScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::LocalScheme
        | QWebEngineUrlScheme::LocalAccessAllowed | QWebEngineUrlScheme::ContentSecurityPolicyIgnored);
    QWebEngineUrlScheme::registerScheme(scheme);
}

}
