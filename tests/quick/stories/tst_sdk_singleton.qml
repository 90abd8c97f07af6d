import QtQuick
import QtTest
import OrvaneStories

// StorySDK from QML keeps and starts sessions as the C++ calls do, and refuses what it cannot read.
TestCase {
    name: "StorySDK"

    SignalSpy {
        id: sessions
        target: StorySDK
        signalName: "sessionChanged"
    }

    function thrown(call) {
        try {
            call()
        } catch (error) {
            return error
        }
        return null
    }

    function test_configureStartsASessionEachTimeAndUpdateSessionOnlyForANewIdentity() {
        StorySDK.configure({ sdkKey: "qml-key", appKey: "qml-app", userId: "u1", environment: StorySDK.Staging })
        verify(StorySDK.configured)
        const first = StorySDK.sessionId
        verify(first.length > 0)

        sessions.clear()
        StorySDK.configure({ sdkKey: "qml-key", appKey: "qml-app", userId: "u1", environment: StorySDK.Staging })
        const second = StorySDK.sessionId
        verify(second !== first, "configuring again starts a session, as in C++")
        compare(sessions.count, 1)

        StorySDK.updateSession({ userId: " u1 ", appId: null })
        compare(StorySDK.sessionId, second, "the same trimmed identity keeps the session")
        compare(sessions.count, 1)

        StorySDK.updateSession({ userId: "u2" })
        verify(StorySDK.sessionId !== second, "a signed-in user starts one")
        compare(sessions.count, 2)
    }

    function test_whatItCannotReadThrowsATypeErrorAndChangesNothing() {
        StorySDK.configure({ sdkKey: "qml-key", appKey: "qml-app" })
        const session = StorySDK.sessionId
        sessions.clear()
        const calls = [
            () => StorySDK.configure({ sdkKey: "qml-key" }),
            () => StorySDK.configure({ sdkKey: "qml-key", appKey: 7 }),
            () => StorySDK.configure({ sdkKey: "qml-key", appKey: "qml-app", userID: "u1" }),
            () => StorySDK.configure({ sdkKey: "qml-key", appKey: "qml-app", environment: 9 }),
            () => StorySDK.configure({ sdkKey: "qml-key", appKey: "qml-app", previewMode: "yes" }),
            () => StorySDK.updateSession({ user: "u3" }),
            () => StorySDK.updateSession({ userId: 3 })
        ]
        for (const call of calls)
            verify(thrown(call) instanceof TypeError, call.toString())
        compare(StorySDK.sessionId, session)
        compare(sessions.count, 0)
    }
}
