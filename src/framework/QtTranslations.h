#pragma once

class QCoreApplication;
class QString;

// Installs Qt's own translations of its standard texts (file and font
// dialogs, message-box buttons, context menus) for language, whatever the
// system's language is. Returns false when Qt's translations for it are not
// installed; the texts then stay Qt's originals.
bool LoadQtTranslations(QCoreApplication& app, const QString& language);
