// koishi-plugin-zorvane: the riddle game in every group, played through the
// zorvane module that a few zorvane-host processes load, with a daily
// sign-in that pays the money the game costs.
'use strict'

const path = require('node:path')
const { h } = require('koishi')
const { Config } = require('./config')
const { forwardedText } = require('./chat')
const { Game } = require('./game')
const { bundledFiles, prepareGameFolder } = require('./game-folder')
const { HostPool } = require('./host-pool')
const { IdMap } = require('./id-map')
const { startRiddleSite } = require('./riddle-site')

// The clean-up of the plug-in's last instance. Koishi does not wait for it
// when it reloads a plug-in (a change of its config does), so a new
// instance waits: its hosts must not write a ledger beside the old ones, and
// its site needs the port the old one is leaving.
let lastShutdown = Promise.resolve()

exports.name = 'zorvane'
exports.Config = Config

exports.apply = (ctx, config) => {
  const logger = plainLogger(ctx.logger('zorvane'))
  ctx.i18n.define('zh-CN', { commands: require('./locales/zh-CN').commands })
  ctx.i18n.define('en-US', { commands: require('./locales/en-US').commands })

  const bundled = bundledFiles(process.platform, process.arch)
  if (!bundled) {
    logger.error(`no zorvane-host is bundled for ${process.platform}-${process.arch}`)
    return
  }
  const folder = path.resolve(ctx.baseDir, 'data', 'zorvane')
  let pool = null
  let site = null
  // Settles once the hosts run; null when they could not be started.
  let started = null

  ctx.on('ready', () => {
    started = startGame().catch((error) => {
      logger.error(`cannot start the game in ${folder}: ${error.message}`)
      return null
    })
    return started
  })

  async function startGame() {
    await lastShutdown
    const files = prepareGameFolder(folder, bundled)
    const ids = new IdMap(files.ids)
    pool = new HostPool({
      size: config.hosts,
      program: files.host,
      args: signinArguments(config),
      cwd: folder,
      timeoutMs: config.hostTimeout * 1000,
      logger,
    })
    const info = await pool.request({ op: 'info' })
    if (!info?.ok) throw new Error('zorvane-host does not answer')
    if (!config.useRunningSite) {
      site = await startRiddleSite({
        base: info.site, program: bundled.site, hostFolder: folder, riddles: files.riddles, logger,
      })
    }
    return { game: new Game({ pool, ids, logger }), commandWord: info.commandWord }
  }

  ctx.on('dispose', () => {
    lastShutdown = (async () => {
      await started
      await pool?.close()
      await site?.stop()
    })()
    return lastShutdown
  })

  const guilds = ctx.guild()
  for (const [name, run] of [
    ['签到', (g, session) => g.signIn(session)],
    ['余额', (g, session) => g.balance(session)],
    ['排行', (g, session) => g.top(session)],
  ]) {
    guilds.command(name).action(async ({ session }) => {
      const running = await started
      if (!running) return
      const reply = await run(running.game, session)
      return reply ? h.text(reply) : undefined
    })
  }

  // Commands run before middleware: a command is never taken as a guess.
  ctx.middleware(async (session, next) => {
    const running = await started
    if (!running) return next()
    const text = forwardedText(session, config.commandWordOnly ? running.commandWord : null)
    if (text === null) return next()
    const reply = await running.game.play(session, text)
    return reply ? h.text(reply) : next()
  })
}

// The sign-in amounts the operator set; the host's own stand otherwise.
function signinArguments(config) {
  const args = []
  if (config.signinMin) args.push('--signin-min', String(config.signinMin))
  if (config.signinMax) args.push('--signin-max', String(config.signinMax))
  return args
}

// Koishi's logger reads "%" in its first argument as a format: log lines
// carry members' messages, which go in as the argument of "%s".
function plainLogger(logger) {
  const plain = {}
  for (const level of ['debug', 'info', 'warn', 'error']) {
    plain[level] = (text) => logger[level]('%s', text)
  }
  return plain
}
