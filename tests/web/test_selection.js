// Scripted mouse and keyboard sessions: every screenshot must equal the
// reference picture of the view plus exactly the expected white outline.
"use strict";

const assert = require("assert");
const {beforeEach, test} = require("node:test");
const {START_VIEW, reference, useSession, zoomedView} = require("./harness");

const WIDTH = 800;
const HEIGHT = 600;
// A 200 x 100 drag from (100, 100) takes the client's proportions: 162 x 122.
const DRAWN = [100, 100, 300, 200];
const FITTED = [100, 100, 262, 222];

let viewer;
let start;
const session = useSession();
beforeEach(async () => {
    viewer = await session().startViewer(WIDTH, HEIGHT);
    start = await viewer.waitFor(reference(WIDTH, HEIGHT));
});

async function select(from, to) {
    await viewer.drag(from, to);
    return viewer.waitFor(start.withOutline(...FITTED));
}

test("drag and release outlines the fitted selection", async () => {
    await select(DRAWN.slice(0, 2), DRAWN.slice(2));
});

test("reverse drag gives the same selection", async () => {
    await select(DRAWN.slice(2), DRAWN.slice(0, 2));
});

test("escape removes the selection", async () => {
    await select(DRAWN.slice(0, 2), DRAWN.slice(2));
    await viewer.key("Escape");
    await viewer.waitFor(start);
});

test("the up-arrow shows over the selection and the arrow elsewhere", async () => {
    await select(DRAWN.slice(0, 2), DRAWN.slice(2));
    await viewer.move(150, 150);
    assert.match(await viewer.cursor(), /^url\("?data:image\/png;base64,.* 11 1, default$/);
    await viewer.move(500, 400);
    assert.strictEqual(await viewer.cursor(), "default");
});

test("moving leaves no trace", async () => {
    await select(DRAWN.slice(0, 2), DRAWN.slice(2));
    await viewer.move(150, 150);
    await viewer.press();
    for (const [x, y] of [[160, 155], [120, 190], [90, 60], [230, 260]]) {
        await viewer.move(x, y);
    }
    await viewer.release();
    const dx = 230 - 150;
    const dy = 260 - 150;
    await viewer.waitFor(
        start.withOutline(FITTED[0] + dx, FITTED[1] + dy, FITTED[2] + dx, FITTED[3] + dy));
});

test("drag released outside the page still selects", async () => {
    // The pointer is captured while dragging: the moves and the release beyond
    // the right and bottom edges still reach the program. 150 x 140 fits to
    // 166 x 125, outlined only where it lies inside the client.
    await viewer.drag([700, 500], [850, 640]);
    await viewer.waitFor(start.withOutline(700, 500, 866, 625));
});

test("small drag is discarded", async () => {
    await viewer.drag([400, 300], [405, 340]);
    // Events are handled in order: once the next selection shows, the small
    // drag has been handled, and it left nothing behind.
    await select(DRAWN.slice(0, 2), DRAWN.slice(2));
});

test("right click outside does nothing and opens no menu", async () => {
    await select(DRAWN.slice(0, 2), DRAWN.slice(2));
    const menus = await viewer.page.evaluate(() => {
        window.openedMenus = 0;
        window.addEventListener("contextmenu", (event) => {
            window.openedMenus += event.defaultPrevented ? 0 : 1;
        });
        return window.openedMenus;
    });
    assert.strictEqual(menus, 0);
    await viewer.move(500, 400);
    await viewer.click("right");
    await viewer.move(30, 30);
    await viewer.click("right");
    // Esc is handled after the clicks: the unchanged start view proves no zoom.
    await viewer.key("Escape");
    await viewer.waitFor(start);
    assert.strictEqual(await viewer.page.evaluate(() => window.openedMenus), 0);
});

test("zoom and back", async () => {
    await select(DRAWN.slice(0, 2), DRAWN.slice(2));
    await viewer.move(180, 160);
    await viewer.click("right");
    const zoomed = zoomedView(START_VIEW, FITTED, WIDTH);
    const first = await viewer.waitFor(reference(WIDTH, HEIGHT, zoomed));

    // A second zoom, then back twice with both spellings of the key.
    await viewer.drag([400, 300], [600, 400]);
    await viewer.waitFor(first.withOutline(400, 300, 400 + 162, 300 + 122));
    await viewer.move(450, 350);
    await viewer.click("right");
    const deeper = zoomedView(zoomed, [400, 300, 562, 422], WIDTH);
    await viewer.waitFor(reference(WIDTH, HEIGHT, deeper));

    await viewer.key("b");
    await viewer.waitFor(first);
    await viewer.key("B");
    await viewer.waitFor(start);
});

test("zoom while moving, the left button still held", async () => {
    await select(DRAWN.slice(0, 2), DRAWN.slice(2));
    await viewer.move(180, 160);
    await viewer.press();
    await viewer.click("right");
    await viewer.waitFor(reference(WIDTH, HEIGHT, zoomedView(START_VIEW, FITTED, WIDTH)));
    await viewer.release();
});

test("back with no history clears the selection", async () => {
    await select(DRAWN.slice(0, 2), DRAWN.slice(2));
    await viewer.key("b");
    await viewer.waitFor(start);
});

test("covering repaint abandons the selection", async () => {
    await select(DRAWN.slice(0, 2), DRAWN.slice(2));
    await viewer.resize(700, 500);
    await viewer.waitFor(reference(700, 500));
    // The state is Idle again: a right click where the selection was does
    // nothing, which the next selection's unchanged background proves.
    await viewer.move(180, 160);
    await viewer.click("right");
    await viewer.drag([50, 50], [250, 150]);
    // 200 x 100 in a 700 x 500 client: area 14285, height 119, width 166.
    await viewer.waitFor(reference(700, 500).withOutline(50, 50, 216, 169));
});

test("a resize during a drag keeps the live outline over the new picture", async () => {
    await viewer.move(100, 100);
    await viewer.press();
    await viewer.move(300, 200);
    await viewer.waitFor(start.withOutline(100, 100, 300, 200));
    await viewer.resize(900, 650);
    const resized = reference(900, 650);
    await viewer.waitFor(resized.withOutline(100, 100, 300, 200));
    // The next move takes off the outline drawn over the new picture, not
    // pixels saved from the old one.
    await viewer.move(350, 260);
    await viewer.waitFor(resized.withOutline(100, 100, 350, 260));
    // 250 x 160 in 900 x 650: area 28888, height 169, width 234.
    await viewer.release();
    await viewer.waitFor(resized.withOutline(100, 100, 334, 269));
});

test("escape ends a drag whose button is still held", async () => {
    await viewer.move(235, 455);
    await viewer.press();
    await viewer.move(1, 249);
    await viewer.waitFor(start.withOutline(1, 249, 235, 455));
    await viewer.key("Escape");
    await viewer.waitFor(start);
    await viewer.move(355, 358);
    await viewer.release();
    await select(DRAWN.slice(0, 2), DRAWN.slice(2));
});
