<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CommandLine</name>
    <message>
        <source>Function block manager for the Velmora 2 environment: designs function
blocks, generates their plug-in projects and edits the user&apos;s device.
Besides the options below, the toolkit&apos;s own options (such as -style)
are accepted.</source>
        <translation>Funktionsbaustein-Manager für die Umgebung Velmora 2: entwirft
Funktionsbausteine, erzeugt ihre Plug-in-Projekte und bearbeitet das Gerät
des Benutzers. Neben den Optionen unten werden die Optionen des Toolkits
(etwa -style) angenommen.</translation>
    </message>
    <message>
        <source>Show this help and exit.</source>
        <translation>Diese Hilfe anzeigen und beenden.</translation>
    </message>
    <message>
        <source>Show the version and exit.</source>
        <translation>Die Version anzeigen und beenden.</translation>
    </message>
    <message>
        <source>Unexpected argument &apos;%1&apos;: the program takes no file arguments.</source>
        <translation>Unerwartetes Argument &apos;%1&apos;: das Programm nimmt keine Dateiargumente.</translation>
    </message>
    <message>
        <source>fbmanager: write error: %1</source>
        <translation>fbmanager: Schreibfehler: %1</translation>
    </message>
    <message>
        <source>Regenerate the XML and CMake files of the function block whose unit.xml is &lt;file&gt;, in its directory, and list each file as new, replaced, unchanged or kept. Exit status 1 when the file holds what a regeneration would drop.</source>
        <translation>Die XML- und CMake-Dateien des Funktionsbausteins, dessen unit.xml &lt;Datei&gt; ist, in seinem Verzeichnis neu erzeugen und jede Datei als new, replaced, unchanged oder kept auflisten. Rückgabewert 1, wenn die Datei enthält, was eine Neuerzeugung verwerfen würde.</translation>
    </message>
    <message>
        <source>file</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>List the function block entries of the device file [file] (by default your device.xml) whose function block is not installed. Exit status 0 when none is missing, 1 when some are, 2 when the device file cannot be read.</source>
        <translation>Die Funktionsbaustein-Einträge der Gerätedatei [Datei] (ohne Angabe Ihre device.xml) auflisten, deren Funktionsbaustein nicht installiert ist. Rückgabewert 0, wenn keiner fehlt, 1, wenn welche fehlen, 2, wenn die Gerätedatei nicht gelesen werden kann.</translation>
    </message>
    <message>
        <source>--regenerate and --check-device cannot be used together.</source>
        <translation>--regenerate und --check-device können nicht zusammen verwendet werden.</translation>
    </message>
    <message>
        <source>--force is an option of --regenerate.</source>
        <translation>--force ist eine Option von --regenerate.</translation>
    </message>
    <message>
        <source>With --regenerate: regenerate even when that drops content the form cannot show.</source>
        <translation>Mit --regenerate: auch dann neu erzeugen, wenn dabei Inhalt verloren geht, den das Formular nicht zeigen kann.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Velmora 2 function block manager</source>
        <translation>Velmora 2 Funktionsbaustein-Manager</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Device manager</source>
        <translation>Geräteverwaltung</translation>
    </message>
    <message>
        <source>Function block designer</source>
        <translation>Funktionsbaustein-Designer</translation>
    </message>
    <message>
        <source>Save changes</source>
        <translation>Änderungen speichern</translation>
    </message>
    <message>
        <source>The device has been changed. Save changes?</source>
        <translation>Das Gerät wurde geändert. Änderungen speichern?</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Unable to save the device to %1.</source>
        <translation>Das Gerät konnte nicht in %1 gespeichert werden.</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>The device file %1 is larger than 1 GiB and was not loaded. It will be kept as %2 when the device is saved.</source>
        <translation>Die Gerätedatei %1 ist größer als 1 GiB und wurde nicht geladen. Sie wird beim Speichern des Geräts als %2 aufbewahrt.</translation>
    </message>
    <message>
        <source>The device file %1 could not be read and was not loaded. It will be kept as %2 when the device is saved.</source>
        <translation>Die Gerätedatei %1 konnte nicht gelesen werden und wurde nicht geladen. Sie wird beim Speichern des Geräts als %2 aufbewahrt.</translation>
    </message>
    <message>
        <source>Device not loaded</source>
        <translation>Gerät nicht geladen</translation>
    </message>
    <message>
        <source>Device changed on disk</source>
        <translation>Gerät auf dem Datenträger geändert</translation>
    </message>
    <message>
        <source>The device file %1 was changed by another program since it was loaded. Replace it with the device shown here?</source>
        <translation>Die Gerätedatei %1 wurde seit dem Laden von einem anderen Programm geändert. Soll sie durch das hier gezeigte Gerät ersetzt werden?</translation>
    </message>
    <message numerus="yes">
        <source>Saved %n entries to %1</source>
        <translation>
            <numerusform>%n Eintrag gespeichert in %1</numerusform>
            <numerusform>%n Einträge gespeichert in %1</numerusform>
        </translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>Ü&amp;ber</translation>
    </message>
    <message>
        <source>About &amp;Qt</source>
        <translation>Über &amp;Qt</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>&lt;p&gt;&lt;b&gt;Velmora 2 function block manager&lt;/b&gt;, version %1&lt;/p&gt;&lt;p&gt;Writes the starting project of new function blocks for the Velmora 2 programming environment, and edits your own device: the tree of directories and function block entries that the environment shows.&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;b&gt;Velmora 2 Funktionsbaustein-Manager&lt;/b&gt;, Version %1&lt;/p&gt;&lt;p&gt;Schreibt das Startprojekt neuer Funktionsbausteine für die Programmierumgebung Velmora 2 und bearbeitet Ihr eigenes Gerät: den Baum aus Verzeichnissen und Funktionsbaustein-Einträgen, den die Umgebung zeigt.&lt;/p&gt;</translation>
    </message>
    <message numerus="yes">
        <source>Entries naming function blocks that are not installed: %n</source>
        <translation>
            <numerusform>Einträge mit nicht installiertem Funktionsbaustein: %n</numerusform>
            <numerusform>Einträge mit nicht installiertem Funktionsbaustein: %n</numerusform>
        </translation>
    </message>
    <message>
        <source>Open function block...</source>
        <translation>Funktionsbaustein öffnen...</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>The function block designer holds input that was not generated. Close anyway?</source>
        <translation>Der Funktionsbaustein-Designer enthält Eingaben, die nicht generiert wurden. Trotzdem schließen?</translation>
    </message>
    <message>
        <source>&amp;Save device</source>
        <translation>Gerät &amp;speichern</translation>
    </message>
</context>
<context>
    <name>ScriptCommands</name>
    <message>
        <source>The file %1 cannot be read.</source>
        <translation>Die Datei %1 kann nicht gelesen werden.</translation>
    </message>
    <message>
        <source>The file %1 is not well-formed XML.</source>
        <translation>Die Datei %1 ist kein wohlgeformtes XML.</translation>
    </message>
    <message>
        <source>The file %1 describes no function block.</source>
        <translation>Die Datei %1 beschreibt keinen Funktionsbaustein.</translation>
    </message>
    <message>
        <source>%1 holds more than the form can show. Generating this function block again would drop:</source>
        <translation>%1 enthält mehr, als das Formular zeigen kann. Ein erneutes Generieren dieses Funktionsbausteins würde verwerfen:</translation>
    </message>
    <message>
        <source>Nothing was written; --force regenerates it anyway.</source>
        <translation>Es wurde nichts geschrieben; mit --force wird trotzdem neu erzeugt.</translation>
    </message>
    <message>
        <source>The ID %1 is also declared by %2. Nothing was written.</source>
        <translation>Die ID %1 wird auch von %2 deklariert. Es wurde nichts geschrieben.</translation>
    </message>
    <message>
        <source>Unable to write %1. The function block was not generated completely.</source>
        <translation>%1 konnte nicht geschrieben werden. Der Funktionsbaustein wurde nicht vollständig erzeugt.</translation>
    </message>
    <message>
        <source>The device file %1 is larger than 1 GiB.</source>
        <translation>Die Gerätedatei %1 ist größer als 1 GiB.</translation>
    </message>
    <message>
        <source>The device file %1 cannot be read.</source>
        <translation>Die Gerätedatei %1 kann nicht gelesen werden.</translation>
    </message>
    <message>
        <source>The file %1 is not a device file.</source>
        <translation>Die Datei %1 ist keine Gerätedatei.</translation>
    </message>
</context>
<context>
    <name>Startup</name>
    <message>
        <source>fbmanager: no home directory: HOME is not set and the user has none.</source>
        <translation>fbmanager: kein Home-Verzeichnis: HOME ist nicht gesetzt, und der Benutzer hat keines.</translation>
    </message>
</context>
<context>
    <name>device::ItemDelegate</name>
    <message>
        <source>No installed function block matches %1.</source>
        <translation>Kein installierter Funktionsbaustein passt zu %1.</translation>
    </message>
</context>
<context>
    <name>device::Model</name>
    <message>
        <source>New directory</source>
        <translation>Neues Verzeichnis</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>Baustein</translation>
    </message>
    <message>
        <source>Add directory</source>
        <translation>Verzeichnis hinzufügen</translation>
    </message>
    <message>
        <source>Add function block</source>
        <translation>Funktionsbaustein hinzufügen</translation>
    </message>
    <message>
        <source>Remove %1</source>
        <translation>%1 entfernen</translation>
    </message>
    <message>
        <source>Move %1</source>
        <translation>%1 verschieben</translation>
    </message>
    <message>
        <source>Add function block %1</source>
        <translation>Funktionsbaustein %1 hinzufügen</translation>
    </message>
    <message>
        <source>No function block with the id %1 is installed.</source>
        <translation>Es ist kein Funktionsbaustein mit der Kennung %1 installiert.</translation>
    </message>
    <message>
        <source>Change %1 to %2</source>
        <translation>%1 in %2 ändern</translation>
    </message>
    <message>
        <source>Rename %1</source>
        <translation>%1 umbenennen</translation>
    </message>
    <message numerus="yes">
        <source>Entries in this directory naming function blocks that are not installed: %n</source>
        <translation>
            <numerusform>Einträge in diesem Verzeichnis mit nicht installiertem Funktionsbaustein: %n</numerusform>
            <numerusform>Einträge in diesem Verzeichnis mit nicht installiertem Funktionsbaustein: %n</numerusform>
        </translation>
    </message>
    <message>
        <source>Directories and function blocks</source>
        <translation>Verzeichnisse und Funktionsbausteine</translation>
    </message>
</context>
<context>
    <name>device::View</name>
    <message>
        <source>Add directory</source>
        <translation>Verzeichnis hinzufügen</translation>
    </message>
    <message>
        <source>Add function block</source>
        <translation>Funktionsbaustein hinzufügen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>Wiederholen</translation>
    </message>
    <message>
        <source>Rename</source>
        <translation>Umbenennen</translation>
    </message>
    <message>
        <source>Cut</source>
        <translation>Ausschneiden</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>Einfügen</translation>
    </message>
    <message>
        <source>Move up</source>
        <translation>Nach oben</translation>
    </message>
    <message>
        <source>Move down</source>
        <translation>Nach unten</translation>
    </message>
    <message>
        <source>Undo %1</source>
        <translation>Rückgängig: %1</translation>
    </message>
    <message>
        <source>Redo %1</source>
        <translation>Wiederholen: %1</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Gerät</translation>
    </message>
    <message>
        <source>Open in designer</source>
        <translation>Im Designer öffnen</translation>
    </message>
    <message>
        <source>Next missing function block</source>
        <translation>Nächster fehlender Funktionsbaustein</translation>
    </message>
    <message>
        <source>Create function block</source>
        <translation>Funktionsbaustein erstellen</translation>
    </message>
</context>
<context>
    <name>unit::ConnectorEditor</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <source>Default value</source>
        <translation>Standardwert</translation>
    </message>
    <message>
        <source>Hidden</source>
        <translation>Verborgen</translation>
    </message>
</context>
<context>
    <name>unit::Designer</name>
    <message>
        <source>Vendor</source>
        <translation>Hersteller</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Unique ID</source>
        <translation>Eindeutige ID</translation>
    </message>
    <message>
        <source>Icon file name</source>
        <translation>Symboldatei</translation>
    </message>
    <message>
        <source>Plugin base name</source>
        <translation>Plugin-Basisname</translation>
    </message>
    <message>
        <source>With dialog</source>
        <translation>Mit Dialog</translation>
    </message>
    <message>
        <source>Inputs</source>
        <translation>Eingänge</translation>
    </message>
    <message>
        <source>Outputs</source>
        <translation>Ausgänge</translation>
    </message>
    <message>
        <source>State variables</source>
        <translation>Zustandsvariablen</translation>
    </message>
    <message>
        <source>Auto fill</source>
        <translation>Automatisch ausfüllen</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Leeren</translation>
    </message>
    <message>
        <source>Generate</source>
        <translation>Erzeugen</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>Durchsuchen...</translation>
    </message>
    <message>
        <source>GUI info</source>
        <translation>GUI-Angaben</translation>
    </message>
    <message>
        <source>No vendor was specified!</source>
        <translation>Es wurde kein Hersteller angegeben!</translation>
    </message>
    <message>
        <source>No name was specified!</source>
        <translation>Es wurde kein Name angegeben!</translation>
    </message>
    <message>
        <source>No ID was specified!</source>
        <translation>Es wurde keine ID angegeben!</translation>
    </message>
    <message>
        <source>No GUI name was specified!</source>
        <translation>Es wurde kein GUI-Name angegeben!</translation>
    </message>
    <message>
        <source>No plugin base name was specified!</source>
        <translation>Es wurde kein Plugin-Basisname angegeben!</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>The target directory %1 already exists. Shall existing XML and CMake files be overwritten (this does not affect C++ source and header files)?</source>
        <translation>Das Zielverzeichnis %1 existiert bereits. Sollen vorhandene XML- und CMake-Dateien überschrieben werden (C++-Quell- und Header-Dateien bleiben unberührt)?</translation>
    </message>
    <message>
        <source>If you say &quot;no&quot;, an alternative directory name will be chosen.</source>
        <translation>Wenn Sie „Nein“ wählen, wird ein anderer Verzeichnisname gewählt.</translation>
    </message>
    <message>
        <source>Please note that this will not affect the device structure.</source>
        <translation>Bitte beachten Sie, dass dies die Gerätestruktur nicht ändert.</translation>
    </message>
    <message>
        <source>Target directory exists</source>
        <translation>Zielverzeichnis existiert</translation>
    </message>
    <message>
        <source>Non-unique ID</source>
        <translation>ID nicht eindeutig</translation>
    </message>
    <message>
        <source>The specified ID is already in use. Please use a different ID for this function block.</source>
        <translation>Die angegebene ID wird bereits verwendet. Bitte wählen Sie für diesen Funktionsbaustein eine andere ID.</translation>
    </message>
    <message>
        <source>Generation failed</source>
        <translation>Erzeugen fehlgeschlagen</translation>
    </message>
    <message>
        <source>Unable to write %1. The function block was not generated completely.</source>
        <translation>%1 konnte nicht geschrieben werden. Der Funktionsbaustein wurde nicht vollständig erzeugt.</translation>
    </message>
    <message>
        <source>Unknown error</source>
        <translation>Unbekannter Fehler</translation>
    </message>
    <message>
        <source>Unable to generate function block due to an unknown error.</source>
        <translation>Der Funktionsbaustein konnte wegen eines unbekannten Fehlers nicht erzeugt werden.</translation>
    </message>
    <message>
        <source>Success</source>
        <translation>Erfolg</translation>
    </message>
    <message>
        <source>Successfully generated description and source files for function block %1 in %2</source>
        <translation>Beschreibung und Quelldateien für den Funktionsbaustein %1 wurden in %2 erzeugt</translation>
    </message>
    <message>
        <source>Open file</source>
        <translation>Datei öffnen</translation>
    </message>
    <message>
        <source>PNG files (*.png)</source>
        <translation>PNG-Dateien (*.png)</translation>
    </message>
    <message>
        <source>Open function block</source>
        <translation>Funktionsbaustein öffnen</translation>
    </message>
    <message>
        <source>The file %1 cannot be read.</source>
        <translation>Die Datei %1 kann nicht gelesen werden.</translation>
    </message>
    <message>
        <source>The file %1 is not well-formed XML.</source>
        <translation>Die Datei %1 ist kein wohlgeformtes XML.</translation>
    </message>
    <message>
        <source>The file %1 describes no function block.</source>
        <translation>Die Datei %1 beschreibt keinen Funktionsbaustein.</translation>
    </message>
    <message>
        <source>The function block designer holds input that was not generated. Replace it with the function block %1?</source>
        <translation>Der Funktionsbaustein-Designer enthält Eingaben, die nicht generiert wurden. Durch den Funktionsbaustein %1 ersetzen?</translation>
    </message>
    <message>
        <source>%1 holds more than the form can show. Generating this function block again would drop:</source>
        <translation>%1 enthält mehr, als das Formular zeigen kann. Ein erneutes Generieren dieses Funktionsbausteins würde verwerfen:</translation>
    </message>
    <message>
        <source>The icon file %1 does not exist.</source>
        <translation>Die Symboldatei %1 existiert nicht.</translation>
    </message>
    <message>
        <source>It holds the function block %1, which would be replaced.</source>
        <translation>Es enthält den Funktionsbaustein %1, der ersetzt würde.</translation>
    </message>
    <message>
        <source>The plug-in base name may hold only letters, digits and underscores.</source>
        <translation>Der Plugin-Basisname darf nur Buchstaben, Ziffern und Unterstriche enthalten.</translation>
    </message>
    <message numerus="yes">
        <source>and %n more</source>
        <translation>
            <numerusform>und %n weiteres</numerusform>
            <numerusform>und %n weitere</numerusform>
        </translation>
    </message>
    <message>
        <source>Yes regenerates the function block in %1. No generates it in a new directory below %2, as a new function block.</source>
        <translation>„Ja“ erzeugt den Funktionsbaustein in %1 neu. „Nein“ erzeugt ihn wie einen neuen Funktionsbaustein in einem neuen Verzeichnis unterhalb von %2.</translation>
    </message>
    <message>
        <source>Open Folder</source>
        <translation>Ordner öffnen</translation>
    </message>
    <message>
        <source>GUI name</source>
        <translation>GUI-Name</translation>
    </message>
    <message>
        <source>Add input</source>
        <translation>Eingang hinzufügen</translation>
    </message>
    <message>
        <source>Remove input</source>
        <translation>Eingang entfernen</translation>
    </message>
    <message>
        <source>Move input up</source>
        <translation>Eingang nach oben</translation>
    </message>
    <message>
        <source>Move input down</source>
        <translation>Eingang nach unten</translation>
    </message>
    <message>
        <source>Add output</source>
        <translation>Ausgang hinzufügen</translation>
    </message>
    <message>
        <source>Remove output</source>
        <translation>Ausgang entfernen</translation>
    </message>
    <message>
        <source>Move output up</source>
        <translation>Ausgang nach oben</translation>
    </message>
    <message>
        <source>Move output down</source>
        <translation>Ausgang nach unten</translation>
    </message>
    <message>
        <source>Add state variable</source>
        <translation>Zustandsvariable hinzufügen</translation>
    </message>
    <message>
        <source>Remove state variable</source>
        <translation>Zustandsvariable entfernen</translation>
    </message>
    <message>
        <source>Move state variable up</source>
        <translation>Zustandsvariable nach oben</translation>
    </message>
    <message>
        <source>Move state variable down</source>
        <translation>Zustandsvariable nach unten</translation>
    </message>
    <message>
        <source>The field %1 may not hold line breaks or other control characters.</source>
        <translation>Das Feld %1 darf keine Zeilenumbrüche oder andere Steuerzeichen enthalten.</translation>
    </message>
    <message>
        <source>Plug-in base name in use</source>
        <translation>Plugin-Basisname vergeben</translation>
    </message>
    <message>
        <source>The plug-in base name %1 is already used by the function block %2. Both would build plug-in libraries of the same name. Generate anyway?</source>
        <translation>Der Plugin-Basisname %1 wird bereits vom Funktionsbaustein %2 verwendet. Beide würden Plugin-Bibliotheken mit demselben Namen erstellen. Trotzdem erzeugen?</translation>
    </message>
    <message>
        <source>A name starts with a letter A-Z and holds only letters A-Z, digits and blanks. Write ä as ae, ö as oe, ü as ue and ß as ss.</source>
        <translation>Ein Name beginnt mit einem Buchstaben A-Z und enthält nur Buchstaben A-Z, Ziffern und Leerzeichen. Schreiben Sie ä als ae, ö als oe, ü als ue und ß als ss.</translation>
    </message>
    <message>
        <source>Fill in the unique ID, the GUI name and the plug-in base name from vendor and name</source>
        <translation>Eindeutige ID, GUI-Name und Plugin-Basisname aus Hersteller und Name ausfüllen</translation>
    </message>
    <message>
        <source>Write the plug-in project of the function block (%1)</source>
        <translation>Das Plugin-Projekt des Funktionsbausteins schreiben (%1)</translation>
    </message>
    <message>
        <source>The vendor is missing.</source>
        <translation>Der Hersteller fehlt.</translation>
    </message>
    <message>
        <source>The name is missing.</source>
        <translation>Der Name fehlt.</translation>
    </message>
    <message>
        <source>The name is not acceptable: it starts with a letter A-Z and holds only letters A-Z, digits and blanks.</source>
        <translation>Der Name ist nicht zulässig: Er beginnt mit einem Buchstaben A-Z und enthält nur Buchstaben A-Z, Ziffern und Leerzeichen.</translation>
    </message>
    <message>
        <source>The GUI name is missing.</source>
        <translation>Der GUI-Name fehlt.</translation>
    </message>
    <message>
        <source>The plug-in base name is missing.</source>
        <translation>Der Plugin-Basisname fehlt.</translation>
    </message>
</context>
<context>
    <name>unit::OpenDialog</name>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Other file...</source>
        <translation>Andere Datei...</translation>
    </message>
    <message>
        <source>Open function block</source>
        <translation>Funktionsbaustein öffnen</translation>
    </message>
    <message>
        <source>Part of the unit id</source>
        <translation>Teil der Baustein-ID</translation>
    </message>
    <message>
        <source>&amp;Find:</source>
        <translation>&amp;Suchen:</translation>
    </message>
    <message>
        <source>Unit id</source>
        <translation>Baustein-ID</translation>
    </message>
    <message>
        <source>Directory</source>
        <translation>Verzeichnis</translation>
    </message>
    <message>
        <source>Function block descriptions (unit.xml)</source>
        <translation>Funktionsbaustein-Beschreibungen (unit.xml)</translation>
    </message>
</context>
<context>
    <name>unit::Plan</name>
    <message>
        <source>new</source>
        <translation>neu</translation>
    </message>
    <message>
        <source>replaced</source>
        <translation>ersetzt</translation>
    </message>
    <message>
        <source>unchanged</source>
        <translation>unverändert</translation>
    </message>
    <message>
        <source>kept (C++ files are never overwritten)</source>
        <translation>beibehalten (C++-Dateien werden nie überschrieben)</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1 cannot be compared.</source>
        <translation>%1 kann nicht verglichen werden.</translation>
    </message>
</context>
<context>
    <name>unit::StateVarEditor</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>Default value</source>
        <translation>Standardwert</translation>
    </message>
</context>
<context>
    <name>unit::UnitFile</name>
    <message>
        <source>type templates</source>
        <translation>Typvorlagen</translation>
    </message>
    <message>
        <source>the element %1</source>
        <translation>das Element %1</translation>
    </message>
    <message>
        <source>the attribute %1 of %2</source>
        <translation>das Attribut %1 von %2</translation>
    </message>
    <message>
        <source>the layout of state variables</source>
        <translation>die Anordnung der Zustandsvariablen</translation>
    </message>
    <message>
        <source>the layout of %1, which is no connector</source>
        <translation>die Anordnung von %1, das kein Anschluss ist</translation>
    </message>
    <message>
        <source>the side %1 of the connector %2</source>
        <translation>die Seite %1 des Anschlusses %2</translation>
    </message>
    <message>
        <source>the display %1 of the connector %2</source>
        <translation>die Anzeige %1 des Anschlusses %2</translation>
    </message>
    <message>
        <source>the descriptions of state variables</source>
        <translation>die Beschreibungen der Zustandsvariablen</translation>
    </message>
    <message>
        <source>the description of %1, which is no connector</source>
        <translation>die Beschreibung von %1, das kein Anschluss ist</translation>
    </message>
    <message>
        <source>the plug-in %1 of the type %2</source>
        <translation>das Plugin %1 vom Typ %2</translation>
    </message>
    <message>
        <source>the simulation plug-in %1</source>
        <translation>das Simulations-Plugin %1</translation>
    </message>
    <message>
        <source>the icon %1, which is no file in the unit&apos;s icons directory</source>
        <translation>das Symbol %1, das keine Datei im Symbolverzeichnis des Bausteins ist</translation>
    </message>
    <message>
        <source>the file&apos;s own formatting and order</source>
        <translation>die eigene Formatierung und Reihenfolge der Datei</translation>
    </message>
    <message>
        <source>the further function block %1</source>
        <translation>den weiteren Funktionsbaustein %1</translation>
    </message>
    <message>
        <source>translations</source>
        <translation>Übersetzungen</translation>
    </message>
    <message>
        <source>comments</source>
        <translation>Kommentare</translation>
    </message>
    <message>
        <source>processing instructions and document type declarations</source>
        <translation>Verarbeitungsanweisungen und Dokumenttyp-Deklarationen</translation>
    </message>
    <message>
        <source>the blanks at the ends of the GUI name</source>
        <translation>die Leerzeichen am Anfang oder Ende des GUI-Namens</translation>
    </message>
</context>
<context>
    <name>unit::VariableTableEditor</name>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Move up</source>
        <translation>Nach oben</translation>
    </message>
    <message>
        <source>Move down</source>
        <translation>Nach unten</translation>
    </message>
</context>
</TS>
