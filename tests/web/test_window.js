// The page shows the exact picture of the view at every size, in device
// pixels, and repaints the whole of it on every resize.
"use strict";

const assert = require("assert");
const {test} = require("node:test");
const {reference, useSession} = require("./harness");

const session = useSession();

test("the title is the program's", async () => {
    const viewer = await session().startViewer(320, 240);
    assert.strictEqual(await viewer.page.title(), "Mandelbrot set");
});

test("start view is exact at 800 by 600", async () => {
    const viewer = await session().startViewer(800, 600);
    await viewer.waitFor(reference(800, 600));
    assert.strictEqual(await viewer.cursor(), "default");
});

test("start view is exact at an odd size", async () => {
    const viewer = await session().startViewer(641, 479);
    await viewer.waitFor(reference(641, 479));
});

test("growing and shrinking repaints with new scales", async () => {
    const viewer = await session().startViewer(400, 300);
    await viewer.waitFor(reference(400, 300));
    for (const [width, height] of [[1000, 700], [1000, 300], [333, 777], [160, 90]]) {
        await viewer.resize(width, height);
        await viewer.waitFor(reference(width, height));
    }
});

test("resize right after start shows the whole picture", async () => {
    for (const [width, height] of [[640, 480], [517, 389]]) {
        const viewer = await session().startViewer(300, 200);
        await viewer.resize(width, height);
        await viewer.waitFor(reference(width, height));
    }
});

test("height alone keeps the scales", async () => {
    const viewer = await session().startViewer(500, 200);
    const short = await viewer.waitFor(reference(500, 200));
    await viewer.resize(500, 450);
    const tall = await viewer.waitFor(reference(500, 450));
    // The first 200 rows do not move when only the height grows.
    assert.ok(tall.rgb.subarray(0, short.rgb.length).equals(short.rgb));
});

test("a device-pixel ratio of 2 paints every device pixel", async () => {
    // 400 x 300 CSS pixels: the canvas has 800 x 600 pixels of its own.
    const viewer = await session().startViewer(800, 600, 2);
    const start = await viewer.waitFor(reference(800, 600));
    // Mouse positions are scaled as well: a drag of 100 x 50 CSS pixels from
    // (50, 50) is 200 x 100 device pixels from (100, 100): 162 x 122 fitted.
    await viewer.drag([100, 100], [300, 200]);
    await viewer.waitFor(start.withOutline(100, 100, 262, 222));
    await viewer.resize(1000, 500);
    await viewer.waitFor(reference(1000, 500));
});
