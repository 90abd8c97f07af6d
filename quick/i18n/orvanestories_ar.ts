<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ar">
<context>
    <name>BannerView</name>
    <message>
        <source>Banner, %1 of %2</source>
        <translation>لافتة، %1 من %2</translation>
    </message>
</context>
<context>
    <name>StoryBarView</name>
    <message>
        <source>%1, story, %2</source>
        <translation>%1، قصة، %2</translation>
    </message>
</context>
<context>
    <name>StoryUIStrings</name>
    <message>
        <source>Vote</source>
        <translation>تصويت</translation>
    </message>
    <message>
        <source>Quiz</source>
        <translation>اختبار</translation>
    </message>
    <message>
        <source>Poll</source>
        <translation>استطلاع</translation>
    </message>
    <message>
        <source>Swipe</source>
        <translation>اسحب</translation>
    </message>
    <message>
        <source>Swipe up</source>
        <translation>اسحب للأعلى</translation>
    </message>
    <message>
        <source>vote</source>
        <translation>صوت</translation>
    </message>
    <message>
        <source>votes</source>
        <translation>أصوات</translation>
    </message>
    <message>
        <source>answer</source>
        <translation>إجابة</translation>
    </message>
    <message>
        <source>answers</source>
        <translation>إجابات</translation>
    </message>
    <message numerus="yes">
        <source>%n vote(s)</source>
        <translation>
            <numerusform>%n صوت</numerusform>
            <numerusform>صوت واحد</numerusform>
            <numerusform>صوتان</numerusform>
            <numerusform>%n أصوات</numerusform>
            <numerusform>%n صوتًا</numerusform>
            <numerusform>%n صوت</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n answer(s)</source>
        <translation>
            <numerusform>%n إجابة</numerusform>
            <numerusform>إجابة واحدة</numerusform>
            <numerusform>إجابتان</numerusform>
            <numerusform>%n إجابات</numerusform>
            <numerusform>%n إجابةً</numerusform>
            <numerusform>%n إجابة</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n page(s)</source>
        <translation>
            <numerusform>%n صفحة</numerusform>
            <numerusform>صفحة واحدة</numerusform>
            <numerusform>صفحتان</numerusform>
            <numerusform>%n صفحات</numerusform>
            <numerusform>%n صفحةً</numerusform>
            <numerusform>%n صفحة</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>StoryViewerHeader</name>
    <message>
        <source>Turn sound on</source>
        <translation>تشغيل الصوت</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>كتم الصوت</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>إغلاق</translation>
    </message>
    <message>
        <source>Share</source>
        <translation>مشاركة</translation>
    </message>
</context>
<context>
    <name>StoryViewerView</name>
    <message>
        <source>Page %1 of %2</source>
        <translation>الصفحة %1 من %2</translation>
    </message>
</context>
<context>
    <name>SwipeWidgetView</name>
    <message>
        <source>Swipe up</source>
        <translation>اسحب للأعلى</translation>
    </message>
</context>
<context>
    <name>VoteOptionRow</name>
    <message>
        <source>%1%</source>
        <comment>an option&apos;s share of the votes</comment>
        <translation>%1٪</translation>
    </message>
    <message>
        <source>correct answer</source>
        <translation>الإجابة الصحيحة</translation>
    </message>
    <message>
        <source>your choice</source>
        <translation>اختيارك</translation>
    </message>
    <message>
        <source>, </source>
        <comment>between the parts of an option&apos;s spoken name</comment>
        <translation>، </translation>
    </message>
</context>
</TS>
