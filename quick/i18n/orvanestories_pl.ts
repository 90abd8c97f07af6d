<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl">
<context>
    <name>BannerView</name>
    <message>
        <source>Banner, %1 of %2</source>
        <translation>Baner, %1 z %2</translation>
    </message>
</context>
<context>
    <name>StoryBarView</name>
    <message>
        <source>%1, story, %2</source>
        <translation>%1, relacja, %2</translation>
    </message>
</context>
<context>
    <name>StoryUIStrings</name>
    <message>
        <source>Vote</source>
        <translation>Głosowanie</translation>
    </message>
    <message>
        <source>Quiz</source>
        <translation>Quiz</translation>
    </message>
    <message>
        <source>Poll</source>
        <translation>Ankieta</translation>
    </message>
    <message>
        <source>Swipe</source>
        <translation>Przesuń</translation>
    </message>
    <message>
        <source>Swipe up</source>
        <translation>Przesuń w górę</translation>
    </message>
    <message>
        <source>vote</source>
        <translation>głos</translation>
    </message>
    <message>
        <source>votes</source>
        <translation>głosy</translation>
    </message>
    <message>
        <source>answer</source>
        <translation>odpowiedź</translation>
    </message>
    <message>
        <source>answers</source>
        <translation>odpowiedzi</translation>
    </message>
    <message numerus="yes">
        <source>%n vote(s)</source>
        <translation>
            <numerusform>%n głos</numerusform>
            <numerusform>%n głosy</numerusform>
            <numerusform>%n głosów</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n answer(s)</source>
        <translation>
            <numerusform>%n odpowiedź</numerusform>
            <numerusform>%n odpowiedzi</numerusform>
            <numerusform>%n odpowiedzi</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n page(s)</source>
        <translation>
            <numerusform>%n strona</numerusform>
            <numerusform>%n strony</numerusform>
            <numerusform>%n stron</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>StoryViewerHeader</name>
    <message>
        <source>Turn sound on</source>
        <translation>Włącz dźwięk</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>Wycisz</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Zamknij</translation>
    </message>
    <message>
        <source>Share</source>
        <translation>Udostępnij</translation>
    </message>
</context>
<context>
    <name>StoryViewerView</name>
    <message>
        <source>Page %1 of %2</source>
        <translation>Strona %1 z %2</translation>
    </message>
</context>
<context>
    <name>SwipeWidgetView</name>
    <message>
        <source>Swipe up</source>
        <translation>Przesuń w górę</translation>
    </message>
</context>
<context>
    <name>VoteOptionRow</name>
    <message>
        <source>%1%</source>
        <comment>an option&apos;s share of the votes</comment>
        <translation>%1%</translation>
    </message>
    <message>
        <source>correct answer</source>
        <translation>poprawna odpowiedź</translation>
    </message>
    <message>
        <source>your choice</source>
        <translation>twój wybór</translation>
    </message>
    <message>
        <source>, </source>
        <comment>between the parts of an option&apos;s spoken name</comment>
        <translation>, </translation>
    </message>
</context>
</TS>
