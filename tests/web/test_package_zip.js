// The web ZIP as a user unpacks it: exactly the page's three files, the
// README and the licence, in one folder named for the version; served from
// there, the page shows the exact start view.
"use strict";

const assert = require("assert");
const {execFileSync} = require("child_process");
const fs = require("fs");
const os = require("os");
const path = require("path");
const {test} = require("node:test");

const unpacked = fs.mkdtempSync(path.join(os.tmpdir(), "mandelbrot-web-zip-"));
// CMake's own archive tool, which the build needs anyway, reads ZIP files.
execFileSync("cmake", ["-E", "tar", "xf", process.env.MANDELBROT_PACKAGE], {cwd: unpacked});
const folder = path.join(unpacked, `mandelbrot-${process.env.MANDELBROT_VERSION}-web`);
// The harness serves the folder it is given when it is loaded.
process.env.MANDELBROT_PAGE_DIR = folder;
const {reference, useSession} = require("./harness");

const session = useSession();

test("the archive holds the page, the README and the licence, in one folder", () => {
    assert.deepStrictEqual(fs.readdirSync(unpacked), [path.basename(folder)]);
    assert.deepStrictEqual(fs.readdirSync(folder).sort(),
                           ["LICENSE", "README.md", "index.html", "index.js", "index.wasm"]);
    const wasm = fs.readFileSync(path.join(folder, "index.wasm"));
    assert.deepStrictEqual([...wasm.subarray(0, 4)], [0x00, 0x61, 0x73, 0x6d]);
});

test("the unpacked page shows the exact start view", async () => {
    const viewer = await session().startViewer(800, 600);
    assert.strictEqual(await viewer.page.title(), "Mandelbrot set");
    await viewer.waitFor(reference(800, 600));
});

test.after(() => fs.rmSync(unpacked, {recursive: true, force: true}));
