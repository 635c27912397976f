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
        <source>The plug-in base name may hold only letters, digits and underscores.</source>
        <translation>Der Plugin-Basisname darf nur Buchstaben, Ziffern und Unterstriche enthalten.</translation>
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
