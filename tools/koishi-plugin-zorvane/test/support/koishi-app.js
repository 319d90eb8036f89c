// Koishi apps for the end-to-end tests, made from the fresh app folder that
// ./test prepares (ZORVANE_TEST_APP): Koishi, its plug-ins and the packed
// koishi-plugin-zorvane all load from that folder's node_modules, as in a
// user's app.
'use strict'

const fs = require('node:fs')
const os = require('node:os')
const path = require('node:path')
const { createRequire } = require('node:module')

const appFolder = process.env.ZORVANE_TEST_APP
if (!appFolder) throw new Error('ZORVANE_TEST_APP names no Koishi app folder')
const appRequire = createRequire(path.join(path.resolve(appFolder), 'package.json'))
const koishi = appRequire('koishi')

// What the plug-in logged in this process, and the Koishi log kept off the
// test's output (warnings and errors still show, for a failing test).
const logRecords = []
koishi.Logger.targets.splice(0, koishi.Logger.targets.length, {
  record(record) {
    logRecords.push(record)
    if (record.type === 'warn' || record.type === 'error') {
      process.stderr.write(`[${record.type}] ${record.name} ${record.content}\n`)
    }
  },
})

// The zorvane log lines that contain every one of the parts.
function zorvaneLog(...parts) {
  return logRecords
    .filter((record) => record.name === 'zorvane')
    .map((record) => `${record.type}: ${record.content}`)
    .filter((line) => parts.every((part) => line.includes(part)))
}

// A fresh base folder for an app, removed after the test.
function baseFolder(t) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'zorvane-koishi-'))
  t.after(() => fs.rmSync(folder, { recursive: true, force: true }))
  return folder
}

// Starts an app in baseDir with the mock adapter, the plug-ins given (pairs
// of plug-in and config) and koishi-plugin-zorvane with its config (none
// when zorvane is false); stops it after the test.
async function startKoishi(t, baseDir, { zorvane = {}, plugins = [], mock = true } = {}) {
  const app = new koishi.App()
  app.provide('baseDir', baseDir, true)
  const forks = []
  if (mock) forks.push(app.plugin(appRequire('@koishijs/plugin-mock').default))
  for (const [plugin, config] of plugins) forks.push(app.plugin(plugin, config))
  if (zorvane !== false) forks.push(app.plugin(appRequire('koishi-plugin-zorvane'), zorvane))
  await app.start()
  let stopped = false
  const stop = async () => {
    if (stopped) return
    stopped = true
    // Plug-ins first, the last one first: app.stop() alone takes the bots'
    // list away before the adapters' bots stop, and an adapter then goes on
    // reconnecting.
    for (const fork of forks.reverse()) await fork.dispose()
    await app.stop()
  }
  t.after(stop)
  return { app, stop, folder: path.join(baseDir, 'data', 'zorvane') }
}

// The riddles the packed site serves, in page order from /dmmy/19499.html:
// the question as a page shows it, and the answer.
function bundledRiddles() {
  const file = path.join(path.dirname(appRequire.resolve('koishi-plugin-zorvane/package.json')),
    'prebuilt', 'linux-x64', 'riddles.tsv')
  return fs.readFileSync(file, 'utf8').split('\n')
    .filter((line) => line && !line.startsWith('#'))
    .map((line) => {
      const [question, answer, kind] = line.split('\t')
      return { question: kind ? `${question}（${kind}）` : question, answer }
    })
}

// The pids of the zorvane-host processes that run from the game folder.
function hostPids(folder) {
  const host = path.join(folder, 'zorvane-host')
  return fs.readdirSync('/proc').filter((name) => /^\d+$/.test(name)).filter((pid) => {
    try {
      return fs.readlinkSync(`/proc/${pid}/exe`) === host
    } catch {
      return false
    }
  }).map(Number)
}

module.exports = { koishi, appRequire, startKoishi, baseFolder, zorvaneLog, bundledRiddles, hostPids }
