// While a long render holds the page, the placeholder centred on white and the
// wait cursor are really on screen: the browser shows a frame of them before
// the render starts. The frames are the compositor's own, as a screen shows them.
"use strict";

const assert = require("assert");
const {test} = require("node:test");
const {decodePng, reference, useSession} = require("./harness");

const session = useSession();

// The ink of "mandelbrot program" in the built-in font, worked out by hand:
// 18 letters of 12 pixels each, the last blank column dropped, so 214 wide;
// 9 rows drawn twice, so 18 high; centred like single-line centred text.
function placeholderInk(width, height) {
    const left = Math.floor((width - 18 * 12) / 2);
    const top = Math.floor((height - 18) / 2);
    return {left, top, right: left + 18 * 12 - 2, bottom: top + 18};
}

// Whether the frame is white but for black ink filling exactly that box.
function showsPlaceholder(frame, ink) {
    let box = null;
    for (let y = 0; y < frame.height; ++y) {
        for (let x = 0; x < frame.width; ++x) {
            const i = (y * frame.width + x) * 3;
            const [r, g, b] = frame.rgb.subarray(i, i + 3);
            if (r === 255 && g === 255 && b === 255) {
                continue;
            }
            if (r !== 0 || g !== 0 || b !== 0) {
                return false;
            }
            box = box || {left: x, top: y, right: x + 1, bottom: y + 1};
            box.left = Math.min(box.left, x);
            box.right = Math.max(box.right, x + 1);
            box.bottom = y + 1;
        }
    }
    return box !== null && box.left === ink.left && box.top === ink.top &&
           box.right === ink.right && box.bottom === ink.bottom;
}

test("the placeholder and the wait cursor show before a long render", async () => {
    // A large page: its render takes a good part of a second.
    const [width, height] = [2400, 1800];
    const viewer = await session().startViewer(width, height);
    const expected = reference(width, height);
    await viewer.waitFor(expected);
    await viewer.page.evaluate(() => {
        window.cursorLog = [];
        const canvas = document.getElementById("canvas");
        new MutationObserver(() => window.cursorLog.push(canvas.style.cursor))
            .observe(canvas, {attributes: true, attributeFilter: ["style"]});
    });

    // The screencast sends a frame only once the one before has been
    // acknowledged, so it starts on the idle page: the frames of the repaint
    // below are then all sent.
    const frames = [];
    const client = await viewer.page.context().newCDPSession(viewer.page);
    client.on("Page.screencastFrame", (frame) => {
        frames.push(Buffer.from(frame.data, "base64"));
        client.send("Page.screencastFrameAck", {sessionId: frame.sessionId}).catch(() => {});
    });
    await client.send("Page.startScreencast", {format: "png", everyNthFrame: 1});
    await new Promise((resolve) => setTimeout(resolve, 500));
    const before = frames.length;

    // Back with nothing to go back to repaints the whole unchanged view.
    await viewer.key("b");
    await new Promise((resolve) => setTimeout(resolve, 100));
    await viewer.waitFor(expected);
    await client.send("Page.stopScreencast");

    const pictures = frames.slice(before).map(decodePng);
    const ink = placeholderInk(width, height);
    const placeholderAt = pictures.findIndex((f) => showsPlaceholder(f, ink));
    const finishedAt = pictures.findIndex((f) => f.differences(expected) === "");
    assert.ok(placeholderAt >= 0, `no frame of ${pictures.length} showed the placeholder`);
    assert.ok(finishedAt < 0 || placeholderAt < finishedAt, "the placeholder came after the picture");

    const cursors = await viewer.page.evaluate(() => window.cursorLog);
    const waitAt = cursors.indexOf("wait");
    assert.ok(waitAt >= 0 && cursors.indexOf("default", waitAt) > waitAt, cursors.join(", "));
});
