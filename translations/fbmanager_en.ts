<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>MainWindow</name>
    <message numerus="yes">
        <source>Entries naming function blocks that are not installed: %n</source>
        <translation>
            <numerusform>Entry naming a function block that is not installed: %n</numerusform>
            <numerusform>Entries naming function blocks that are not installed: %n</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Saved %n entries to %1</source>
        <translation>
            <numerusform>Saved %n entry to %1</numerusform>
            <numerusform>Saved %n entries to %1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>device::Model</name>
    <message numerus="yes">
        <source>Entries in this directory naming function blocks that are not installed: %n</source>
        <translation>
            <numerusform>Entry in this directory naming a function block that is not installed: %n</numerusform>
            <numerusform>Entries in this directory naming function blocks that are not installed: %n</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>unit::Designer</name>
    <message numerus="yes">
        <source>and %n more</source>
        <translation>
            <numerusform>and %n more</numerusform>
            <numerusform>and %n more</numerusform>
        </translation>
    </message>
</context>
</TS>
