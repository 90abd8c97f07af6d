<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>BannerView</name>
    <message>
        <source>Banner, %1 of %2</source>
        <translation>Banner, %1 von %2</translation>
    </message>
</context>
<context>
    <name>StoryBarView</name>
    <message>
        <source>%1, story, %2</source>
        <translation>%1, Story, %2</translation>
    </message>
</context>
<context>
    <name>StoryUIStrings</name>
    <message>
        <source>Vote</source>
        <translation>Abstimmung</translation>
    </message>
    <message>
        <source>Quiz</source>
        <translation>Quiz</translation>
    </message>
    <message>
        <source>Poll</source>
        <translation>Umfrage</translation>
    </message>
    <message>
        <source>Swipe</source>
        <translation>Wischen</translation>
    </message>
    <message>
        <source>Swipe up</source>
        <translation>Nach oben wischen</translation>
    </message>
    <message>
        <source>vote</source>
        <translation>Stimme</translation>
    </message>
    <message>
        <source>votes</source>
        <translation>Stimmen</translation>
    </message>
    <message>
        <source>answer</source>
        <translation>Antwort</translation>
    </message>
    <message>
        <source>answers</source>
        <translation>Antworten</translation>
    </message>
    <message numerus="yes">
        <source>%n vote(s)</source>
        <translation>
            <numerusform>%n Stimme</numerusform>
            <numerusform>%n Stimmen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n answer(s)</source>
        <translation>
            <numerusform>%n Antwort</numerusform>
            <numerusform>%n Antworten</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n page(s)</source>
        <translation>
            <numerusform>%n Seite</numerusform>
            <numerusform>%n Seiten</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>StoryViewerHeader</name>
    <message>
        <source>Turn sound on</source>
        <translation>Ton einschalten</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>Stummschalten</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Share</source>
        <translation>Teilen</translation>
    </message>
</context>
<context>
    <name>StoryViewerView</name>
    <message>
        <source>Page %1 of %2</source>
        <translation>Seite %1 von %2</translation>
    </message>
</context>
<context>
    <name>SwipeWidgetView</name>
    <message>
        <source>Swipe up</source>
        <translation>Nach oben wischen</translation>
    </message>
</context>
<context>
    <name>VoteOptionRow</name>
    <message>
        <source>%1%</source>
        <comment>an option&apos;s share of the votes</comment>
        <translation>%1&#xa0;%</translation>
    </message>
    <message>
        <source>correct answer</source>
        <translation>richtige Antwort</translation>
    </message>
    <message>
        <source>your choice</source>
        <translation>deine Wahl</translation>
    </message>
    <message>
        <source>, </source>
        <comment>between the parts of an option&apos;s spoken name</comment>
        <translation>, </translation>
    </message>
</context>
</TS>
